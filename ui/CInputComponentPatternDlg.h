// Asks the pattern name of a component going to the user's library: at most 12
// characters. A Space anywhere in the dialog confirms it ("Pick pin1") and never reaches
// the edit.
#pragma once

#include "CPropertyForm.h"

#include <string>

class CInputComponentPatternDlg : public CPropertyForm
{
    Q_OBJECT

  public:
    static constexpr int IDD = 162;
    static constexpr int IDC_PROMPT = 1223;
    static constexpr int IDC_PATTERN = 1224;
    static constexpr int kMaxLength = 12;

    explicit CInputComponentPatternDlg(QWidget* parent = nullptr);

    // Shows the dialog with `pattern`; `pattern` takes the name entered when the dialog is
    // confirmed (true), and is emptied when it is cancelled.
    static bool Ask(QWidget* parent, std::string& pattern);

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};
