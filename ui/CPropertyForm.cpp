#include "CPropertyForm.h"
#include "Language.h"

#include "DialogControls.h"
#include "QtUiServices.h"
#include "board/CInfomation.h"
#include "model/Constants.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace
{

// Shown numbers: as many digits as a double holds, no trailing zeros.
QString Shown(double value)
{
    return QString::number(value, 'g', 15);
}

// The columns of a row.
enum Column { kLabel, kControl, kUnit };

} // namespace

CPropertyForm::CPropertyForm(int dialogId, const QString& caption, bool millimetres,
                             QWidget* parent)
    : QDialog(parent), m_millimetres(millimetres), m_layout(new QVBoxLayout(this)),
      m_form(new QGridLayout)
{
    setProperty("dialogId", dialogId);
    setWindowTitle(caption);
    m_layout->addLayout(m_form);
}

double CPropertyForm::ToDegrees(double radians)
{
    return radians * 180.0 / PI;
}

double CPropertyForm::ToRadians(double degrees)
{
    return degrees * PI / 180.0;
}

bool CPropertyForm::BoardInMillimetres()
{
    return theInfomation && theInfomation->GetUnitName() == "MM";
}

QString CPropertyForm::UnitName() const
{
    return m_millimetres ? QStringLiteral("MM") : QStringLiteral("MILS");
}

QGridLayout* CPropertyForm::Group(const QString& title)
{
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    m_layout->addWidget(box);
    return grid;
}

QLineEdit* CPropertyForm::AddNumber(QGridLayout* grid, int id, const QString& label, bool length,
                                    Range range)
{
    QLineEdit* edit = AddText(grid, id, label);
    m_numbers.push_back({id, edit, length, range, 0.0});
    SetNumber(id, 0.0);
    return edit;
}

QLineEdit* CPropertyForm::AddLength(QGridLayout* grid, int id, const QString& label, int unitId,
                                    Range range)
{
    QLineEdit* edit = AddNumber(grid, id, label, true, range);
    auto* unit = Language::KeepText(DialogControls::Numbered(new QLabel(UnitName(), this), unitId));
    grid->addWidget(unit, grid->rowCount() - 1, kUnit);
    return edit;
}

QLineEdit* CPropertyForm::AddDegrees(QGridLayout* grid, int id, const QString& label, Range range)
{
    return AddNumber(grid, id, label, false, range);
}

QLineEdit* CPropertyForm::AddText(QGridLayout* grid, int id, const QString& label)
{
    const int row = grid->rowCount();
    auto* edit = DialogControls::Numbered(new QLineEdit(this), id);
    if (!label.isEmpty())
        grid->addWidget(new QLabel(label, this), row, kLabel);
    grid->addWidget(edit, row, kControl);
    return edit;
}

QComboBox* CPropertyForm::AddList(QGridLayout* grid, int id, const QString& label,
                                  const QStringList& items)
{
    const int row = grid->rowCount();
    auto* list = DialogControls::Numbered(new QComboBox(this), id);
    list->addItems(items);
    grid->addWidget(new QLabel(label, this), row, kLabel);
    grid->addWidget(list, row, kControl);
    return list;
}

QCheckBox* CPropertyForm::AddCheck(QGridLayout* grid, int id, const QString& label)
{
    auto* check = DialogControls::Numbered(new QCheckBox(label, this), id);
    grid->addWidget(check, grid->rowCount(), kControl);
    return check;
}

void CPropertyForm::AddButtons(const QString& okText)
{
    QDialogButtonBox* buttons = DialogControls::OkCancel(this);
    buttons->button(QDialogButtonBox::Ok)->setText(okText);
    m_layout->addWidget(buttons);
}

CPropertyForm::Field* CPropertyForm::FindField(int id)
{
    auto it = std::find_if(m_numbers.begin(), m_numbers.end(),
                           [id](const Field& f) { return f.id == id; });
    return it == m_numbers.end() ? nullptr : &*it;
}

const CPropertyForm::Field* CPropertyForm::FindField(int id) const
{
    return const_cast<CPropertyForm*>(this)->FindField(id);
}

void CPropertyForm::SetNumber(int id, double value)
{
    Field* field = FindField(id);
    if (!field)
        return;
    field->value = value;
    field->edit->setText(Shown(field->length && m_millimetres ? value / kMilsPerMm : value));
}

double CPropertyForm::Number(int id) const
{
    const Field* field = FindField(id);
    return field ? field->value : 0.0;
}

void CPropertyForm::SetText(int id, const std::string& text)
{
    if (auto* edit = DialogControls::Find<QLineEdit>(this, id))
        edit->setText(QtUiServices::ToQString(text));
}

std::string CPropertyForm::Text(int id) const
{
    auto* edit = DialogControls::Find<QLineEdit>(this, id);
    return edit ? edit->text().toStdString() : std::string();
}

void CPropertyForm::SetIndex(int id, int index)
{
    if (auto* list = DialogControls::Find<QComboBox>(this, id))
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

int CPropertyForm::Index(int id) const
{
    auto* list = DialogControls::Find<QComboBox>(this, id);
    return list ? list->currentIndex() : -1;
}

void CPropertyForm::StoreIndex(int id, int* value) const
{
    if (const int index = Index(id); index >= 0)
        *value = index;
}

void CPropertyForm::SetChecked(int id, int checked)
{
    if (auto* check = DialogControls::Find<QCheckBox>(this, id))
        check->setChecked(checked != 0);
}

int CPropertyForm::Checked(int id) const
{
    auto* check = DialogControls::Find<QCheckBox>(this, id);
    return check && check->isChecked() ? 1 : 0;
}

QString CPropertyForm::RangeMessage(double min, double max)
{
    if (std::isinf(max))
        return QStringLiteral("Please enter a number not less than %1.").arg(Shown(min));
    return QStringLiteral("Please enter a number between %1 and %2.").arg(Shown(min), Shown(max));
}

bool CPropertyForm::ReadNumber(int id, double* shown)
{
    auto* edit = DialogControls::Find<QLineEdit>(this, id);
    bool ok = false;
    const double value = edit ? edit->text().trimmed().toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(value)) {
        if (edit)
            DialogControls::Refuse(edit, QStringLiteral("Please enter a number."));
        return false;
    }
    *shown = value;
    return true;
}

void CPropertyForm::accept()
{
    std::vector<double> values;
    for (const Field& f : m_numbers) {
        double value = 0.0;
        if (!ReadNumber(f.id, &value))
            return;
        const double scale = f.length && m_millimetres ? kMilsPerMm : 1.0;
        value *= scale;
        if (value < f.range.min || value > f.range.max) {
            DialogControls::Refuse(f.edit, RangeMessage(f.range.min / scale, f.range.max / scale));
            return;
        }
        values.push_back(value);
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        m_numbers[i].value = values[i];
    QDialog::accept();
}

void CPropertyForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (auto* edit = DialogControls::Find<QLineEdit>(this, m_focusId)) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}
