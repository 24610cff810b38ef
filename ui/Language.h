#pragma once
// The user-interface language. The program's own texts are English; plain-text language
// files ("*.lang", in the profile layout of ProfileFile) give other texts by section and
// key: [Language] (its Language id, Description, FontName, FontSize), [String] (texts by
// string id), a section per menu resource id (a command's text by command id, a pop-up's
// by "|position" keys, nested as "|2|3") and a section per dialog resource id (a control's
// text by control id; the dialog's title under 0).
//
// The files are looked for in the folder "Language" of the settings folder, then beside
// the program; the choice is kept as [Main] Language in "vantor.ini" in the settings
// folder. Without an active file the program's own texts are shown.
//
// Menus are read through their actions: a command's action holds its command id as its
// data, and the text it first had (or the one set in property "resourceText") is what
// "&Default" restores. Dialogs and their controls carry "dialogId" and "controlId"
// properties. GUI thread only.

#include <QFont>
#include <QPointer>
#include <QString>

#include <map>
#include <optional>

#include "ProfileFile.h"

class QMenu;
class QWidget;

class Language
{
  public:
    static constexpr int kMenuDefault = 5050; // "&Default": the program's own texts
    static constexpr int kMenuLast = 5099;    // files beyond this one are not listed
    static constexpr int kMainMenu = 128;     // the menu bar's resource id
    static constexpr int kIdleMessage = 57345;

    // The program's one instance.
    static Language& Current();

    // Where "vantor.ini" and the "Language" folders are; by default the settings folder
    // and the program's folder.
    void SetFolders(const QString& settingsFolder, const QString& programFolder);

    // At start-up, before any window: activates the first file whose language id is the
    // one kept in the settings (the user's own language when none is kept) and returns
    // that id; 0 (none kept) activates nothing.
    int LangInitialize();
    // Appends an entry per language file to the Language pop-up, after a separator, and
    // makes the entries from "&Default" on one exclusive group; returns the checked id.
    int LangBuildMenu(QMenu* popup);
    // Makes the file of entry `id` active (an id that names no file: the program's own
    // texts), moves the check in `popup` when given, and keeps the choice.
    void LangSelect(QMenu* popup, int id);
    // The Description of the file of entry `id`; when empty, string 5051's text.
    QString LangReadDescription(int id) const;
    // The active file's [String] text of `id`, else the program's own, else nothing.
    std::optional<QString> LangLoadString(int id) const;
    // Gives every item of `menu` (a menu bar or a pop-up, by its actions) the active
    // file's text from section `menuId`, or its own text back when no file is active.
    void LangTranslateMenu(QWidget* menu, int menuId);
    // Gives `dialog` (its title, labels, buttons and group boxes) the active file's texts
    // from section `dialogId`, and the file's font. Values are never translated: input
    // fields, and labels marked with KeepText (a unit label), keep what the dialog shows.
    void LangTranslateDialog(QWidget* dialog, int dialogId) const;
    // Marks a label whose text the dialog sets from its values (the unit of a length),
    // so that no language file replaces it; returns it.
    template <class W> static W* KeepText(W* widget)
    {
        widget->setProperty(kKeepText, true);
        return widget;
    }
    static constexpr const char* kKeepText = "languageKeepsText";

    // Translates every window that carries a "dialogId" as it is shown, so dialogs need
    // no call of their own. For the program's application object.
    void TranslateDialogsWhenShown(QObject* application);

    int CheckedId() const { return m_checkedId; }
    const QString& ActivePath() const { return m_activePath; }
    // The active file's font, when it names one.
    const std::optional<QFont>& Font() const { return m_font; }
    // Whether the active file's path names simplified or traditional Chinese.
    bool IsSimplifiedChinese() const;
    bool IsTraditionalChinese() const;

  private:
    struct LanguageEntry {
        QString path;
        int languageId;
    };
    std::vector<LanguageEntry> FindFiles() const;
    QString SettingsPath() const;
    void Activate(const QString& path);
    void KeepChoice(int languageId) const;
    void TranslateItems(QWidget* menu, const QString& section, const QString& parentKey);

    QString m_settingsFolder;
    QString m_programFolder;
    QString m_activePath;
    ProfileFile m_active;
    std::map<int, QString> m_menuFiles; // entry id -> file
    int m_checkedId = kMenuDefault;
    std::optional<QFont> m_font;
    QPointer<QObject> m_showFilter;
};
