#include "CChamferDlg.h"
#include "Language.h"

#include "DialogFields.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

using namespace DialogFields;

CChamferDlg::CChamferDlg(const ChamferValues& values, QWidget* parent)
    : QDialog(parent), m_values(values), m_distance1(Edit(this, IDC_DISTANCE1)),
      m_distance2(Edit(this, IDC_DISTANCE2)),
      m_trim(Numbered(new QCheckBox(QStringLiteral("Trim"), this), IDC_TRIM))
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Chamfer parameter setup"));
    ShowLength(m_distance1, values.distance1, values.millimetres);
    ShowLength(m_distance2, values.distance2, values.millimetres);
    m_trim->setChecked(values.trim != 0);
    const QString unit = UnitLabel(values.millimetres);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("First line distance:"), this), 0, 0);
    grid->addWidget(m_distance1, 0, 1);
    grid->addWidget(Language::KeepText(Numbered(new QLabel(unit, this), IDC_UNIT1)), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Second line distance:"), this), 1, 0);
    grid->addWidget(m_distance2, 1, 1);
    grid->addWidget(Language::KeepText(Numbered(new QLabel(unit, this), IDC_UNIT2)), 1, 2);
    grid->addWidget(m_trim, 2, 0, 1, 3);
    grid->addWidget(OkCancel(this), 3, 0, 1, 3);
}

bool CChamferDlg::Ask(QWidget* parent, ChamferValues& values)
{
    CChamferDlg dlg(values, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.m_values;
    return true;
}

void CChamferDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_distance1->setFocus(Qt::OtherFocusReason);
    m_distance1->selectAll();
}

void CChamferDlg::accept()
{
    double d1 = 0.0;
    double d2 = 0.0;
    if (!ReadLength(m_distance1, m_values.millimetres, 0.0, &d1) ||
        !ReadLength(m_distance2, m_values.millimetres, 0.0, &d2))
        return;
    m_values.distance1 = d1;
    m_values.distance2 = d2;
    m_values.trim = m_trim->isChecked() ? 1 : 0;
    QDialog::accept();
}
