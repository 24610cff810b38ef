// The chamfer tool's parameter dialog (158): the bevel's distances along the first and
// the second track, shown in the board's unit and at least 0, and whether both tracks
// are trimmed.
#pragma once

#include "model/UiServices.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

class CChamferDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 158;
    static constexpr int IDC_DISTANCE1 = 1178;
    static constexpr int IDC_DISTANCE2 = 1179;
    static constexpr int IDC_TRIM = 1182;
    static constexpr int IDC_UNIT1 = 1175;
    static constexpr int IDC_UNIT2 = 1032;

    explicit CChamferDlg(const ChamferValues& values, QWidget* parent = nullptr);
    // Shows the dialog; when accepted, `values` takes the entries (mils).
    static bool Ask(QWidget* parent, ChamferValues& values);

    // Takes the entries into m_values, or refuses one and stays open.
    void accept() override;

    ChamferValues m_values;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QLineEdit* m_distance1;
    QLineEdit* m_distance2;
    QCheckBox* m_trim;
};
