// The user-interface port over Qt: a table from each values type to the dialog that
// edits it (the property dialogs, layers and colours, the grid step, the DPI question,
// file prompts, yes/no questions and popup choices), and messages. A values type with
// no dialog in the table answers "cancelled".
#pragma once

#include "model/UiServices.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <string>
#include <utility>
#include <vector>

class QtUiServices : public UiServices
{
  public:
    // Dialogs are owned by `parent` (may be null and set later).
    explicit QtUiServices(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    void MessageBox(const std::string& text) override;

    // True while a modal dialog or a popup is open.
    static bool IsModalOpen();
    // Qt name filters for the prompt's (label, patterns) pairs. Patterns match any
    // letter case ("*.bmp" also finds "PHOTO.BMP").
    static QStringList NameFilters(const std::vector<std::pair<std::string, std::string>>& filters);
    // Board texts are 8-bit: UTF-8 when valid, else Latin-1.
    static QString ToQString(const std::string& text);

    static constexpr const char* kCaption = "Vantor";

    // The dialogs without a class of their own: a file chooser, a yes/no question, the
    // yes/no/cancel save question (Esc and the close button cancel) and a popup menu at
    // the pointer (dismissed at once while another popup or dialog is open).
    static bool PromptFile(QWidget* parent, FilePrompt& prompt);
    static bool AskYesNo(QWidget* parent, Question& question);
    static bool AskSaveChanges(QWidget* parent, SaveQuestion& question);
    static bool ChooseFromList(QWidget* parent, ListChoice& choice);

  protected:
    // Opens the dialog listed for the values' type; a type with no dialog is cancelled.
    bool Open(DialogValues values) override;

  private:
    QWidget* Parent() const;

    QPointer<QWidget> m_parent;
};
