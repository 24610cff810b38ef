#include "ProfileFile.h"

#include "board/AtomicFile.h"

#include <QFile>
#include <QStringDecoder>

namespace
{

QString DecodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    return gb18030.isValid() ? gb18030.decode(bytes) : QString::fromLatin1(bytes);
}

bool Same(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

ProfileFile ProfileFile::Load(const QString& path)
{
    ProfileFile file;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return file;
    QString text = DecodeText(in.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    Section* current = nullptr;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            file.m_sections.push_back({line.mid(1, line.size() - 2).trimmed(), {}});
            current = &file.m_sections.back();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (current && eq > 0)
            current->entries.push_back({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
    }
    return file;
}

const ProfileFile::Section* ProfileFile::FindSection(const QString& name) const
{
    for (const Section& s : m_sections)
        if (Same(s.name, name))
            return &s;
    return nullptr;
}

QString ProfileFile::Value(const QString& section, const QString& key) const
{
    // A section named twice is searched whole in its first place only.
    if (const Section* s = FindSection(section))
        for (const Entry& e : s->entries)
            if (Same(e.key, key))
                return e.value.isNull() ? QStringLiteral("") : e.value;
    return {};
}

int ProfileFile::IntValue(const QString& section, const QString& key, int fallback) const
{
    const QString value = Value(section, key);
    qsizetype end = value.startsWith(QLatin1Char('-')) ? 1 : 0;
    while (end < value.size() && value[end].isDigit() && value[end].unicode() < 128)
        ++end;
    bool ok = false;
    const int n = value.left(end).toInt(&ok);
    return ok ? n : fallback;
}

void ProfileFile::SetValue(const QString& section, const QString& key, const QString& value)
{
    Section* s = nullptr;
    for (Section& candidate : m_sections)
        if (!s && Same(candidate.name, section))
            s = &candidate;
    if (!s) {
        m_sections.push_back({section, {}});
        s = &m_sections.back();
    }
    for (Entry& e : s->entries)
        if (Same(e.key, key)) {
            e.value = value;
            return;
        }
    s->entries.push_back({key, value});
}

bool ProfileFile::Save(const QString& path) const
{
    QString text;
    for (const Section& s : m_sections) {
        text += QLatin1Char('[') + s.name + QStringLiteral("]\n");
        for (const Entry& e : s.entries)
            text += e.key + QLatin1Char('=') + e.value + QLatin1Char('\n');
    }
    const QByteArray bytes = text.toUtf8();
    return WriteFileAtomically(path.toStdString(), bytes.constData(), size_t(bytes.size()),
                               nullptr);
}
