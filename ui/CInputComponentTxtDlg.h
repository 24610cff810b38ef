// Asks the designator of a component being placed. It opens with the text it is given,
// focused and selected; Space confirms it at once and never reaches the edit.
#pragma once

#include <QDialog>

#include "model/UiServices.h"

class QLineEdit;

class CInputComponentTxtDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 146;
    static constexpr int IDC_DESIGNATOR = 1029;

    explicit CInputComponentTxtDlg(const std::string& text, QWidget* parent = nullptr);

    // Shows the dialog over `parent` (may be null); when accepted, `values` takes the
    // entered text and the result is true.
    static bool Ask(QWidget* parent, DesignatorValues& values);

    QLineEdit* TextEdit() const { return m_edit; }

  protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    QLineEdit* m_edit;
};
