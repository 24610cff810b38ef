#include "COffsetDialog.h"
#include "Language.h"

#include "DialogFields.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

using namespace DialogFields;

COffsetDialog::COffsetDialog(const OffsetValues& values, QWidget* parent)
    : QDialog(parent), m_values(values), m_distance(Edit(this, IDC_DISTANCE))
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Offset parameter setup"));
    ShowLength(m_distance, values.distance, values.millimetres);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Offset distance:"), this), 0, 0);
    grid->addWidget(m_distance, 0, 1);
    grid->addWidget(
        Language::KeepText(Numbered(new QLabel(UnitLabel(values.millimetres), this), IDC_UNIT)), 0,
        2);
    grid->addWidget(OkCancel(this), 1, 0, 1, 3);
}

bool COffsetDialog::Ask(QWidget* parent, OffsetValues& values)
{
    COffsetDialog dlg(values, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.m_values;
    return true;
}

void COffsetDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_distance->setFocus(Qt::OtherFocusReason);
    m_distance->selectAll();
}

void COffsetDialog::accept()
{
    double distance = 0.0;
    if (!ReadLength(m_distance, m_values.millimetres, 0.0, &distance))
        return;
    m_values.distance = distance;
    QDialog::accept();
}
