#include "QtFonts.h"

#include <QString>

QtFonts::Font& QtFonts::Get(const FontSpec& spec)
{
    if (m_last && m_last->spec == spec)
        return *m_last;
    for (const auto& known : m_fonts)
        if (known->spec == spec) {
            m_last = known.get();
            return *m_last;
        }
    QFont made(QString::fromStdString(spec.family));
    if (spec.pixelHeight > 0)
        made.setPixelSize(spec.pixelHeight);
    made.setBold(spec.bold);
    const QFontMetrics metrics(made);
    m_fonts.push_back(
        std::make_unique<Font>(Font{spec, made, metrics, metrics.height(), metrics.ascent(), {}}));
    m_last = m_fonts.back().get();
    return *m_last;
}

int QtFonts::Width(Font& font, const std::string& text)
{
    auto known = font.widths.find(text);
    if (known == font.widths.end()) {
        if (font.widths.size() >= kMostWidths)
            font.widths.clear();
        known =
            font.widths.emplace(text, font.metrics.horizontalAdvance(QString::fromStdString(text)))
                .first;
    }
    return known->second;
}

void QtFonts::Trim()
{
    if (m_fonts.size() <= kMostFonts)
        return;
    m_fonts.clear();
    m_last = nullptr;
}
