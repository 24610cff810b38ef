#include "CChangeTxtDlg.h"
#include "Language.h"

#include "DialogControls.h"

#include "QtUiServices.h"
#include "board/CInfomation.h"
#include "model/Constants.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

// Every control carries its number, so that translations can find it.
using DialogControls::Numbered;

QString Number(double v)
{
    return QString::number(v, 'g', 12);
}

struct LengthRow {
    int id;
    const char* label;
    int unitLabel;
};

const LengthRow kLengths[] = {
    {CChangeTxtDlg::IDC_WIDTH, "Width", 1032},
    {CChangeTxtDlg::IDC_HEIGHT, "Height", 1033},
    {CChangeTxtDlg::IDC_X, "X_location", 1034},
    {CChangeTxtDlg::IDC_Y, "Y_location", 1035},
};

} // namespace

CChangeTxtDlg::CChangeTxtDlg(const TextProperties& values, const std::string& unitName,
                             QWidget* parent)
    : QDialog(parent), m_values(values), m_mm(unitName == "MM")
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Change Txt String"));
    const double scale = m_mm ? 1.0 / MILS_PER_MM : 1.0;
    const double shown[] = {values.width, values.height, values.position.x, values.position.y};

    auto* grid = new QGridLayout;
    auto addRow = [&](const char* label, QWidget* field, int row) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
        grid->addWidget(field, row, 1);
    };
    addRow("Designator",
           Numbered(new QLineEdit(QtUiServices::ToQString(values.text), this), IDC_TEXT), 0);
    int row = 1;
    for (const LengthRow& r : kLengths) {
        auto* edit = Numbered(new QLineEdit(Number(shown[row - 1] * scale), this), r.id);
        addRow(r.label, edit, row);
        auto* unit = Language::KeepText(
            Numbered(new QLabel(QString::fromStdString(unitName), this), r.unitLabel));
        grid->addWidget(unit, row, 2);
        ++row;
    }
    m_layer = Numbered(new QComboBox(this), IDC_LAYER);
    m_layer->addItems(DialogControls::LayerNames());
    m_layer->setCurrentIndex(values.layer);
    addRow("Layer", m_layer, row++);
    addRow("Rotation",
           Numbered(new QLineEdit(Number(values.rotation * 180.0 / PI), this), IDC_ROTATION),
           row++);
    m_mirror = Numbered(new QCheckBox(QStringLiteral("Mirror"), this), IDC_MIRROR);
    m_mirror->setChecked(values.mirror != 0);
    grid->addWidget(m_mirror, row, 1);

    QDialogButtonBox* buttons = DialogControls::OkCancel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

bool CChangeTxtDlg::Ask(QWidget* parent, TextProperties& values)
{
    CChangeTxtDlg dlg(values, theInfomation ? theInfomation->GetUnitName() : std::string(), parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.m_values;
    return true;
}

QLineEdit* CChangeTxtDlg::Edit(int id) const
{
    return DialogControls::Find<QLineEdit>(this, id);
}

void CChangeTxtDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    QLineEdit* text = Edit(IDC_TEXT);
    text->setFocus(Qt::OtherFocusReason);
    text->selectAll();
}

bool CChangeTxtDlg::ReadField(int id, double toValue, bool ranged, double* value)
{
    QLineEdit* edit = Edit(id);
    bool ok = false;
    const double shown = edit->text().trimmed().toDouble(&ok);
    // Converted once; the range holds for the value in mils.
    const double converted = shown * toValue;
    QString problem;
    if (!ok)
        problem = QStringLiteral("Please enter a number.");
    else if (ranged && (converted < 0.0 || converted > kMaxSize))
        problem = QStringLiteral("Please enter a number between 0 and %1.")
                      .arg(Number(kMaxSize / toValue));
    if (!problem.isEmpty()) {
        DialogControls::Refuse(edit, problem);
        return false;
    }
    *value = converted;
    return true;
}

void CChangeTxtDlg::accept()
{
    TextProperties v = m_values;
    const double toMils = m_mm ? MILS_PER_MM : 1.0;
    if (!ReadField(IDC_WIDTH, toMils, true, &v.width) ||
        !ReadField(IDC_HEIGHT, toMils, true, &v.height) ||
        !ReadField(IDC_ROTATION, PI / 180.0, false, &v.rotation) ||
        !ReadField(IDC_X, toMils, false, &v.position.x) ||
        !ReadField(IDC_Y, toMils, false, &v.position.y))
        return;
    v.text = Edit(IDC_TEXT)->text().toStdString();
    v.layer = m_layer->currentIndex();
    v.mirror = m_mirror->isChecked() ? 1 : 0;
    m_values = v;
    QDialog::accept();
}
