#include "CFilletDlg.h"
#include "Language.h"

#include "DialogFields.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

using namespace DialogFields;

CFilletDlg::CFilletDlg(const FilletValues& values, QWidget* parent)
    : QDialog(parent), m_values(values), m_radius(Edit(this, IDC_RADIUS)),
      m_trim(Numbered(new QCheckBox(QStringLiteral("Trim"), this), IDC_TRIM))
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Fillet parameter setup"));
    ShowLength(m_radius, values.radius, values.millimetres);
    m_trim->setChecked(values.trim != 0);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Radius:"), this), 0, 0);
    grid->addWidget(m_radius, 0, 1);
    grid->addWidget(
        Language::KeepText(Numbered(new QLabel(UnitLabel(values.millimetres), this), IDC_UNIT)), 0,
        2);
    grid->addWidget(m_trim, 1, 0, 1, 3);
    grid->addWidget(OkCancel(this), 2, 0, 1, 3);
}

bool CFilletDlg::Ask(QWidget* parent, FilletValues& values)
{
    CFilletDlg dlg(values, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.m_values;
    return true;
}

void CFilletDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_radius->setFocus(Qt::OtherFocusReason);
    m_radius->selectAll();
}

void CFilletDlg::accept()
{
    double radius = 0.0;
    if (!ReadLength(m_radius, m_values.millimetres, 0.0, &radius))
        return;
    m_values.radius = radius;
    m_values.trim = m_trim->isChecked() ? 1 : 0;
    QDialog::accept();
}
