// The about dialog (dialog 100): the program's icon, name and version and an OK button.
// The About command shows the start-up picture in its about form instead; this dialog
// is the resource's own form of the same information.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 100;
    static constexpr int IDC_ICON = 128;
    static constexpr int IDOK = 1;
    static constexpr const char* kTitle = "About Vantor";
    static constexpr const char* kNameText = "Vantor  Version 1.0";
    static constexpr const char* kSecondLine = "Copyright (C) 2005";

    explicit CAboutDlg(QWidget* parent = nullptr);
};
