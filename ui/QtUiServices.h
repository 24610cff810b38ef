// The user-interface port over Qt: the DPI question, file prompts, yes/no questions,
// messages and popup choices. Property dialogs that are not built yet answer
// "cancelled".
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

    bool EditTrack(TrackProperties& values) override;
    bool EditArc(ArcProperties& values) override;
    bool EditPad(PadProperties& values) override;
    bool EditVia(ViaProperties& values) override;
    bool EditText(TextProperties& values) override;
    bool EditFill(FillProperties& values) override;
    bool EditPolygon(PolygonProperties& values) override;
    bool EditComponent(ComponentProperties& values) override;
    bool AskDpi(DpiValues& values) override;
    bool EditLayers(LayersValues& values) override;
    bool PromptFile(FilePrompt& prompt) override;
    bool AskYesNo(Question& question) override;
    // A popup menu at the pointer; dismissed at once while another popup or dialog is
    // open.
    bool ChooseFromList(ListChoice& choice) override;
    void MessageBox(const std::string& text) override;

    // True while a modal dialog or a popup is open.
    static bool IsModalOpen();
    // Qt name filters for the prompt's (label, patterns) pairs. Patterns match any
    // letter case ("*.bmp" also finds "PHOTO.BMP").
    static QStringList NameFilters(const std::vector<std::pair<std::string, std::string>>& filters);
    // Board texts are 8-bit: UTF-8 when valid, else Latin-1.
    static QString ToQString(const std::string& text);

    static constexpr const char* kCaption = "Vantor";

  private:
    QWidget* Parent() const;

    QPointer<QWidget> m_parent;
};
