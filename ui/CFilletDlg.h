// The fillet tool's parameter dialog (159): the arc's radius, shown in the board's
// unit and at least 0, and whether both tracks are trimmed.
#pragma once

#include "model/UiServices.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

class CFilletDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 159;
    static constexpr int IDC_RADIUS = 1181;
    static constexpr int IDC_TRIM = 1182;
    static constexpr int IDC_UNIT = 1175;

    explicit CFilletDlg(const FilletValues& values, QWidget* parent = nullptr);
    // Shows the dialog; when accepted, `values` takes the entries (mils).
    static bool Ask(QWidget* parent, FilletValues& values);

    // Takes the entries into m_values, or refuses one and stays open.
    void accept() override;

    FilletValues m_values;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QLineEdit* m_radius;
    QCheckBox* m_trim;
};
