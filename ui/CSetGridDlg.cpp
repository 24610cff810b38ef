#include "CSetGridDlg.h"

#include "DialogControls.h"
#include "model/UiServices.h"

#include <QLineEdit>

CSetGridDlg::CSetGridDlg(bool millimetres, QWidget* parent)
    : CPropertyForm(IDD, QStringLiteral("Define your grid size"), millimetres, parent)
{
    AddLength(Form(), IDC_STEP, QString(), IDC_UNIT, kStep);
    AddButtons();
    SetFocusField(IDC_STEP);
}

void CSetGridDlg::Load(const GridValues& values)
{
    SetNumber(IDC_STEP, values.step);
}

void CSetGridDlg::Store(GridValues& values) const
{
    values.step = Number(IDC_STEP);
}

bool CSetGridDlg::Ask(QWidget* parent, GridValues& values)
{
    return Run<CSetGridDlg>(parent, values);
}

void CSetGridDlg::accept()
{
    double shown = 0.0;
    if (Millimetres() && ReadNumber(IDC_STEP, &shown) && shown > kMaxMillimetreStep / kMilsPerMm) {
        const QString message = QStringLiteral("只能是大于%1mm,小于%2mm的值")
                                    .arg(QString::number(1.0 / kMilsPerMm, 'f', 6),
                                         QString::number(kMaxMillimetreStep / kMilsPerMm, 'f', 6));
        DialogControls::Refuse(DialogControls::Find<QLineEdit>(this, IDC_STEP), message);
        return;
    }
    CPropertyForm::accept();
}
