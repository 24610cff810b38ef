#include "Language.h"

#include "CommandTable.h"

#include "board/SettingsFolder.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>

namespace
{

const QString kSettingsFile = QStringLiteral("vantor.ini");
const QString kFolder = QStringLiteral("Language");
const QString kMain = QStringLiteral("Main");
const QString kLanguage = QStringLiteral("Language");
const char* const kResourceText = "resourceText";

// The numbers by which language files name their language, for the user's locale.
int UserDefaultLanguageId()
{
    static const std::map<QString, int> ids = {
        {"en_US", 1033}, {"en_GB", 2057}, {"zh_CN", 2052}, {"zh_TW", 1028},
        {"zh_HK", 3076}, {"de_DE", 1031}, {"fr_FR", 1036}, {"es_ES", 3082},
        {"it_IT", 1040}, {"ja_JP", 1041}, {"ko_KR", 1042}, {"ru_RU", 1049},
        {"pt_BR", 1046}, {"pt_PT", 2070}, {"nl_NL", 1043}, {"pl_PL", 1045}};
    const auto it = ids.find(QLocale::system().name());
    return it == ids.end() ? 1033 : it->second;
}

// The program's own strings that are not command prompts.
std::optional<QString> ResourceString(int id)
{
    if (id == Language::kIdleMessage)
        return QStringLiteral("Ready");
    const CommandInfo* info = CommandTable::Find(id);
    if (info && *info->prompt)
        return QString::fromUtf8(info->prompt);
    return std::nullopt;
}

// The text of a label, a button or a group box; null for anything else (an input
// field's text is a value, never translated).
QString TextOf(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(w))
        return box->title();
    return {};
}

void SetText(QWidget* w, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        box->setTitle(text);
}

} // namespace

Language& Language::Current()
{
    static Language language;
    return language;
}

void Language::SetFolders(const QString& settingsFolder, const QString& programFolder)
{
    m_settingsFolder = settingsFolder;
    m_programFolder = programFolder;
}

QString Language::SettingsPath() const
{
    const QString folder =
        m_settingsFolder.isNull() ? QString::fromStdString(GetSettingsFolder()) : m_settingsFolder;
    return QDir(folder).filePath(kSettingsFile);
}

std::vector<Language::LanguageEntry> Language::FindFiles() const
{
    const QString settings = QFileInfo(SettingsPath()).path();
    const QString program =
        m_programFolder.isNull() ? QCoreApplication::applicationDirPath() : m_programFolder;
    std::vector<LanguageEntry> found;
    for (const QString& base : {settings, program}) {
        if (base == program && QDir(program) == QDir(settings))
            break;
        const QDir dir(QDir(base).filePath(kFolder));
        for (const QString& name : dir.entryList({QStringLiteral("*.lang")}, QDir::Files,
                                                 QDir::Name | QDir::IgnoreCase)) {
            const QString path = dir.filePath(name);
            const int id = ProfileFile::Load(path).IntValue(kLanguage, kLanguage, 0);
            if (id != 0)
                found.push_back({path, id});
        }
    }
    return found;
}

void Language::Activate(const QString& path)
{
    m_activePath = path;
    m_active = path.isEmpty() ? ProfileFile() : ProfileFile::Load(path);
    m_font.reset();
    const QString face = m_active.Value(kLanguage, QStringLiteral("FontName")).left(31);
    if (face.isEmpty())
        return;
    QFont font(face);
    const int size = m_active.IntValue(kLanguage, QStringLiteral("FontSize"), 0);
    if (size > 0)
        font.setPointSize(size);
    m_font = font;
}

void Language::KeepChoice(int languageId) const
{
    ProfileFile settings = ProfileFile::Load(SettingsPath());
    settings.SetValue(kMain, kLanguage, QString::number(languageId));
    settings.Save(SettingsPath());
}

int Language::LangInitialize()
{
    const int id =
        ProfileFile::Load(SettingsPath()).IntValue(kMain, kLanguage, UserDefaultLanguageId());
    Activate({});
    if (id == 0)
        return 0;
    for (const LanguageEntry& file : FindFiles())
        if (file.languageId == id) {
            Activate(file.path);
            KeepChoice(id);
            return id;
        }
    return id;
}

int Language::LangBuildMenu(QMenu* popup)
{
    m_menuFiles.clear();
    auto* group = new QActionGroup(popup);
    group->setExclusive(true);
    QAction* checked = nullptr;
    for (QAction* a : popup->actions())
        if (a->data().toInt() == kMenuDefault) {
            a->setCheckable(true);
            group->addAction(a);
            checked = a;
        }
    int next = kMenuDefault + 1;
    for (const LanguageEntry& file : FindFiles()) {
        if (next > kMenuLast)
            break;
        if (next == kMenuDefault + 1)
            popup->addSeparator();
        QAction* a = popup->addAction(QFileInfo(file.path).completeBaseName());
        a->setData(next);
        a->setCheckable(true);
        group->addAction(a);
        if (file.path == m_activePath)
            checked = a;
        m_menuFiles[next++] = file.path;
    }
    if (checked) {
        checked->setChecked(true);
        m_checkedId = checked->data().toInt();
    }
    return m_checkedId;
}

void Language::LangSelect(QMenu* popup, int id)
{
    const auto file = m_menuFiles.find(id);
    if (file == m_menuFiles.end()) {
        m_checkedId = kMenuDefault;
        Activate({});
    } else {
        m_checkedId = id;
        Activate(file->second);
    }
    if (popup)
        for (QAction* a : popup->actions())
            if (!a->isSeparator() && a->data().toInt() == m_checkedId)
                a->setChecked(true);
    KeepChoice(m_active.IntValue(kLanguage, kLanguage, 0));
}

QString Language::LangReadDescription(int id) const
{
    const auto file = m_menuFiles.find(id);
    QString text;
    if (file != m_menuFiles.end())
        text = ProfileFile::Load(file->second)
                   .Value(kLanguage, QStringLiteral("Description"))
                   .left(1024);
    if (text.isEmpty())
        text = LangLoadString(kMenuDefault + 1).value_or(QString());
    return text;
}

std::optional<QString> Language::LangLoadString(int id) const
{
    if (!m_activePath.isEmpty()) {
        const QString text = m_active.Value(QStringLiteral("String"), QString::number(id));
        if (!text.isNull())
            return text.left(1024);
    }
    return ResourceString(id);
}

void Language::LangTranslateMenu(QWidget* menu, int menuId)
{
    TranslateItems(menu, QString::number(menuId), QString());
}

void Language::TranslateItems(QWidget* menu, const QString& section, const QString& parentKey)
{
    const QList<QAction*> items = menu->actions();
    for (qsizetype position = 0; position < items.size(); ++position) {
        QAction* item = items[position];
        if (item->isSeparator())
            continue;
        if (!item->property(kResourceText).isValid())
            item->setProperty(kResourceText, item->text());
        const QString key = item->menu() ? parentKey + QLatin1Char('|') + QString::number(position)
                                         : QString::number(item->data().toInt());
        const QString text = m_activePath.isEmpty() ? QString() : m_active.Value(section, key);
        item->setText(text.isEmpty() ? item->property(kResourceText).toString() : text);
        if (item->menu())
            TranslateItems(item->menu(), section, key);
    }
}

void Language::LangTranslateDialog(QWidget* dialog, int dialogId) const
{
    // The first translation keeps the dialog's own texts, for "&Default".
    const QString section = QString::number(dialogId);
    auto lookup = [&](QWidget* w, const QString& key, const QString& own) {
        if (!w->property(kResourceText).isValid())
            w->setProperty(kResourceText, own);
        const QString text = m_activePath.isEmpty() ? QString() : m_active.Value(section, key);
        return text.isEmpty() ? w->property(kResourceText).toString() : text;
    };
    if (m_activePath.isEmpty() && !dialog->property(kResourceText).isValid())
        return;
    dialog->setWindowTitle(lookup(dialog, QStringLiteral("0"), dialog->windowTitle()));
    dialog->setFont(m_font ? *m_font : QFont());
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        const QVariant id = w->property("controlId");
        if (id.isValid() && !w->property(kKeepText).toBool())
            SetText(w, lookup(w, QString::number(id.toInt()), TextOf(w)));
    }
}

namespace
{

// Translates a dialog each time it is shown.
class ShowFilter : public QObject
{
  public:
    explicit ShowFilter(QObject* parent) : QObject(parent) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            const QVariant id = w->property("dialogId");
            if (w->isWindow() && id.isValid())
                Language::Current().LangTranslateDialog(w, id.toInt());
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void Language::TranslateDialogsWhenShown(QObject* application)
{
    if (m_showFilter && m_showFilter->parent() == application)
        return;
    m_showFilter = new ShowFilter(application);
    application->installEventFilter(m_showFilter);
}

bool Language::IsSimplifiedChinese() const
{
    return m_activePath.toLower().contains(QString::fromUtf8("简体"));
}

bool Language::IsTraditionalChinese() const
{
    return m_activePath.toLower().contains(QString::fromUtf8("繁體"));
}
