#include "CSetArrayDlg.h"
#include "Language.h"

#include "DialogFields.h"
#include "model/Utilities.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <climits>
#include <cmath>

using namespace DialogFields;

namespace
{

QRadioButton* Radio(QWidget* parent, const char* text, int id, int checked)
{
    auto* radio = Numbered(new QRadioButton(QString::fromLatin1(text), parent), id);
    radio->setChecked(checked != 0);
    return radio;
}

QCheckBox* Check(QWidget* parent, const char* text, int id, int checked)
{
    auto* box = Numbered(new QCheckBox(QString::fromLatin1(text), parent), id);
    box->setChecked(checked != 0);
    return box;
}

} // namespace

CSetArrayDlg::CSetArrayDlg(const ArrayValues& values, QWidget* parent)
    : QDialog(parent), m_values(values),
      m_circular(Radio(this, "Circular", IDC_CIRCULAR, values.circular)),
      m_linear(Radio(this, "Linear", IDC_LINEAR, values.linear && !values.circular)),
      m_rectangle(Radio(this, "Rectangle", IDC_RECTANGLE,
                        values.rectangle && !values.circular && !values.linear)),
      m_xSpacing(Edit(this, IDC_X_SPACING)), m_ySpacing(Edit(this, IDC_Y_SPACING)),
      m_angle(Edit(this, IDC_ANGLE)), m_count(Edit(this, IDC_COUNT)),
      m_textIncrement(Edit(this, IDC_TEXT_INCREMENT)),
      m_beginAtCurrent(
          Check(this, "Begin at Current", IDC_BEGIN_AT_CURRENT, values.beginAtCurrent)),
      m_rotateItems(Check(this, "Rotate Item to Match", IDC_ROTATE_ITEMS, values.rotateItems))
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Setup Array Placement"));
    auto* types = new QButtonGroup(this);
    for (QRadioButton* r : {m_circular, m_linear, m_rectangle})
        types->addButton(r);
    ShowLength(m_xSpacing, values.xSpacing, values.millimetres);
    ShowLength(m_ySpacing, values.ySpacing, values.millimetres);
    m_angle->setText(QString::number(RadToDeg(values.angle), 'g', 12));
    m_count->setText(QString::number(values.count));
    m_textIncrement->setText(QString::number(values.textIncrement));

    const QString unit = UnitLabel(values.millimetres);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_circular, 0, 0);
    grid->addWidget(m_linear, 0, 1);
    grid->addWidget(m_rectangle, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("X-Spacing"), this), 1, 0);
    grid->addWidget(m_xSpacing, 1, 1);
    grid->addWidget(Language::KeepText(Numbered(new QLabel(unit, this), IDC_UNIT1)), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Y-Spacing"), this), 2, 0);
    grid->addWidget(m_ySpacing, 2, 1);
    grid->addWidget(Language::KeepText(Numbered(new QLabel(unit, this), IDC_UNIT2)), 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("Spacing"), this), 3, 0);
    grid->addWidget(m_angle, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Degrees"), this), 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("Item Count"), this), 4, 0);
    grid->addWidget(m_count, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("Text Increment"), this), 5, 0);
    grid->addWidget(m_textIncrement, 5, 1);
    grid->addWidget(m_beginAtCurrent, 6, 0, 1, 3);
    grid->addWidget(m_rotateItems, 7, 0, 1, 3);
    grid->addWidget(OkCancel(this), 8, 0, 1, 3);
}

bool CSetArrayDlg::Ask(QWidget* parent, ArrayValues& values)
{
    CSetArrayDlg dlg(values, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.m_values;
    return true;
}

void CSetArrayDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_xSpacing->setFocus(Qt::OtherFocusReason);
    m_xSpacing->selectAll();
}

bool CSetArrayDlg::ReadChoices()
{
    if (!m_circular->isChecked() && !m_linear->isChecked() && !m_rectangle->isChecked()) {
        UiServices::Current().MessageBox(kNoType);
        return false;
    }
    m_values.circular = m_circular->isChecked() ? 1 : 0;
    m_values.linear = m_linear->isChecked() ? 1 : 0;
    m_values.rectangle = m_rectangle->isChecked() ? 1 : 0;
    m_values.beginAtCurrent = m_beginAtCurrent->isChecked() ? 1 : 0;
    m_values.rotateItems = m_rotateItems->isChecked() ? 1 : 0;
    return true;
}

void CSetArrayDlg::accept()
{
    const bool mm = m_values.millimetres;
    double x = 0.0;
    double y = 0.0;
    double degrees = 0.0;
    int count = 0;
    int increment = 0;
    if (!ReadLength(m_xSpacing, mm, -HUGE_VAL, &x) || !ReadLength(m_ySpacing, mm, -HUGE_VAL, &y) ||
        !ReadNumber(m_angle, &degrees) || !ReadInt(m_count, 0, kMaxCount, &count) ||
        !ReadInt(m_textIncrement, INT_MIN, INT_MAX, &increment) || !ReadChoices())
        return;
    m_values.xSpacing = x;
    m_values.ySpacing = y;
    m_values.angle = DegToRad(&degrees);
    m_values.count = count;
    m_values.textIncrement = increment;
    QDialog::accept();
}
