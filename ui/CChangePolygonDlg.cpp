#include "CChangePolygonDlg.h"
#include "Language.h"

#include "DialogControls.h"

#include "board/CInfomation.h"
#include "model/Constants.h"

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

const char* const kHatchStyles[] = {"None", "90 Degree", "45 Degree", "Horizontal", "Vertical"};

// Significant digits of a number shown or named in a message.
constexpr int kDigits = 15;

// The index chosen in `box`, or `kept` when nothing is chosen.
int ChosenIndex(const QComboBox* box, int kept)
{
    return box->currentIndex() < 0 ? kept : box->currentIndex();
}

} // namespace

CChangePolygonDlg::CChangePolygonDlg(const PolygonProperties& values, const std::string& unitName,
                                     QWidget* parent)
    : QDialog(parent), m_values(values), m_inMils(unitName != "MM")
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Change Polygon"));

    m_style = Numbered(new QComboBox(this), IDC_HATCH_STYLE);
    for (const char* style : kHatchStyles)
        m_style->addItem(QString::fromLatin1(style));
    m_grid = Numbered(new QLineEdit(this), IDC_GRID);
    m_width = Numbered(new QLineEdit(this), IDC_WIDTH);
    m_layer = Numbered(new QComboBox(this), IDC_LAYER);
    m_layer->addItems(DialogControls::LayerNames());

    const QString unit = QString::fromStdString(unitName);
    auto* grid = new QGridLayout;
    const auto row = [this, grid](int r, const char* label, QWidget* field, int unitId,
                                  const QString& unitText) {
        auto* text = new QLabel(QString::fromLatin1(label), this);
        text->setBuddy(field);
        grid->addWidget(text, r, 0);
        grid->addWidget(field, r, 1);
        if (unitId)
            grid->addWidget(Language::KeepText(Numbered(new QLabel(unitText, this), unitId)), r, 2);
    };
    row(0, "Hatching Style:", m_style, 0, {});
    row(1, "Grid size:", m_grid, IDC_GRID_UNIT, unit);
    row(2, "Track Width:", m_width, IDC_WIDTH_UNIT, unit);
    row(3, "Layer:", m_layer, 0, {});

    QDialogButtonBox* buttons = DialogControls::OkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    // The values last, over whatever the texts were.
    m_style->setCurrentIndex(values.hatchStyle);
    m_grid->setText(Shown(values.grid));
    m_width->setText(Shown(values.width));
    m_layer->setCurrentIndex(values.layer);
}

bool CChangePolygonDlg::Ask(QWidget* parent, PolygonProperties& values)
{
    const std::string unit = theInfomation ? theInfomation->GetUnitName() : std::string("MILS");
    CChangePolygonDlg dlg(values, unit, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values = dlg.m_values;
    return true;
}

QString CChangePolygonDlg::Shown(double mils) const
{
    return QString::number(m_inMils ? mils : mils / MILS_PER_MM, 'g', kDigits);
}

void CChangePolygonDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_grid->setFocus(Qt::OtherFocusReason);
    m_grid->selectAll();
}

bool CChangePolygonDlg::Exchange(QLineEdit* edit, double* mils)
{
    bool ok = false;
    const double shown = edit->text().trimmed().toDouble(&ok);
    const double value = m_inMils ? shown : shown * MILS_PER_MM;
    QString problem;
    if (!ok) {
        problem = QStringLiteral("Please enter a number.");
    } else if (!(value >= kMinLength && value <= kMaxLength)) {
        problem = QStringLiteral("Please enter a number between %1 and %2.")
                      .arg(Shown(kMinLength), Shown(kMaxLength));
    }
    if (!problem.isEmpty()) {
        DialogControls::Refuse(edit, problem);
        return false;
    }
    *mils = value;
    return true;
}

void CChangePolygonDlg::accept()
{
    double gridMils = 0.0;
    double widthMils = 0.0;
    if (!Exchange(m_grid, &gridMils) || !Exchange(m_width, &widthMils))
        return;
    m_values.hatchStyle = ChosenIndex(m_style, m_values.hatchStyle);
    m_values.grid = gridMils;
    m_values.width = widthMils;
    m_values.layer = ChosenIndex(m_layer, m_values.layer);
    QDialog::accept();
}
