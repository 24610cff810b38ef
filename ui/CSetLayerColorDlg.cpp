#include "CSetLayerColorDlg.h"

#include "CColorStatic.h"
#include "DialogControls.h"
#include "model/LayerId.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

enum Group { kCopper, kOverlay, kSolder, kPaste, kPlanes, kMechanical, kSpecial, kGroupCount };

const char* const kGroupTitles[kGroupCount] = {
    "Copper Trace Layers",   "Silkscreen Overlay", "Solder Mask", "SMT Paste Mask",
    "Internal Power Planes", "Mechanical Layers",  "Special",
};

// One row: its check box (or, for the last two, the label beside the swatch), its
// swatch, its reset colour and the group it is shown in.
struct Row {
    int check;
    const char* text;
    int swatch;
    COLORREF reset;
    Group group;
};

const Row kRowTable[CSetLayerColorDlg::kRows] = {
    {1129, "&Top", 1147, MakeRGB(255, 0, 0), kCopper},
    {1130, "Mid 1", 1165, MakeRGB(128, 0, 0), kCopper},
    {1131, "Mid 2", 1166, MakeRGB(0, 128, 0), kCopper},
    {1132, "Mid 3", 1167, MakeRGB(0, 255, 0), kCopper},
    {1133, "Mid 4", 1168, MakeRGB(0, 0, 128), kCopper},
    {1134, "Mid 5", 1169, MakeRGB(0, 255, 255), kCopper},
    {1135, "Mid 6", 1171, MakeRGB(128, 0, 128), kCopper},
    {1137, "Mid 7", 1172, MakeRGB(255, 0, 255), kCopper},
    {1139, "Mid 8", 1173, MakeRGB(128, 128, 0), kCopper},
    {1140, "Mid 9", 1174, MakeRGB(255, 255, 0), kCopper},
    {1141, "Mid 10", 1175, MakeRGB(128, 128, 128), kCopper},
    {1142, "Mid 11", 1176, MakeRGB(255, 255, 255), kCopper},
    {1143, "Mid 12", 1177, MakeRGB(128, 0, 128), kCopper},
    {1144, "Mid 13", 1178, MakeRGB(0, 128, 128), kCopper},
    {1145, "Mid 14", 1179, MakeRGB(192, 192, 192), kCopper},
    {1138, "&Bottom", 1180, MakeRGB(0, 0, 255), kCopper},
    {1216, "Top", 1217, MakeRGB(255, 255, 0), kOverlay},
    {1218, "Bottom", 1219, MakeRGB(128, 128, 0), kOverlay},
    {1212, "Top", 1213, MakeRGB(128, 128, 128), kPaste},
    {1214, "Bottom", 1215, MakeRGB(128, 0, 0), kPaste},
    {1208, "Top", 1209, MakeRGB(128, 0, 128), kSolder},
    {1210, "Bottom", 1211, MakeRGB(255, 0, 255), kSolder},
    {1191, "Panel 1", 1202, MakeRGB(0, 128, 0), kPlanes},
    {1192, "Panel 2", 1203, MakeRGB(128, 0, 0), kPlanes},
    {1204, "Panel 3", 1206, MakeRGB(128, 0, 128), kPlanes},
    {1205, "Panel 4", 1207, MakeRGB(0, 128, 128), kPlanes},
    {1146, "Drill Guide", 1181, MakeRGB(128, 0, 0), kSpecial},
    {1154, "Keep Outs", 1183, MakeRGB(255, 0, 255), kSpecial},
    {1189, "Mech 1", 1200, MakeRGB(255, 0, 255), kMechanical},
    {1190, "Mech 2", 1201, MakeRGB(128, 0, 0), kMechanical},
    {1197, "Mech 3", 1193, MakeRGB(0, 128, 0), kMechanical},
    {1198, "Mech 4", 1194, MakeRGB(128, 128, 0), kMechanical},
    {1153, "Drill Draw", 1182, MakeRGB(255, 0, 42), kSpecial},
    {1155, "Multi Layer", 1184, MakeRGB(192, 192, 192), kSpecial},
    {1159, "Pad Holes", 1187, MakeRGB(0, 0, 128), kSpecial},
    {1160, "Via Holes", 1188, MakeRGB(128, 0, 0), kSpecial},
    {1157, "Grid1", 1185, MakeRGB(0, 255, 255), kSpecial},
    {1158, "Grid2", 1186, MakeRGB(0, 128, 128), kSpecial},
    {1220, "Backgroud", 1199, MakeRGB(0, 0, 0), kSpecial},
    {1196, "Selection", 1195, MakeRGB(255, 0, 255), kSpecial},
};

bool HasCheck(int row)
{
    return row >= 0 && row < CSetLayerColorDlg::kCheckedRows;
}

} // namespace

CSetLayerColorDlg::CSetLayerColorDlg(QWidget* parent) : QDialog(parent)
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Set Layers and Colors"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(new QHBoxLayout);
    BuildRows();
    BuildButtons();
}

void CSetLayerColorDlg::BuildRows()
{
    auto* columns = static_cast<QHBoxLayout*>(layout()->itemAt(0)->layout());
    QGridLayout* grids[kGroupCount] = {};
    for (int g = 0; g < kGroupCount; ++g) {
        auto* box = new QGroupBox(QString::fromLatin1(kGroupTitles[g]), this);
        grids[g] = new QGridLayout(box);
        columns->addWidget(box, 0, Qt::AlignTop);
    }
    for (int row = 0; row < kRows; ++row) {
        const Row& r = kRowTable[row];
        QGridLayout* grid = grids[r.group];
        const int at = grid->rowCount();
        QWidget* label = nullptr;
        if (HasCheck(row))
            label = new QCheckBox(QString::fromLatin1(r.text), this);
        else
            label = new QLabel(QString::fromLatin1(r.text), this);
        auto* swatch = new CColorStatic(this);
        grid->addWidget(DialogControls::Numbered(label, r.check), at, 0);
        grid->addWidget(DialogControls::Numbered(swatch, r.swatch), at, 1);
        if (row == LAYER_GRID2) {
            label->setEnabled(false);
            swatch->setEnabled(false);
        }
    }
}

void CSetLayerColorDlg::BuildButtons()
{
    struct Button {
        int id;
        const char* text;
        void (CSetLayerColorDlg::*handler)();
    };
    static const Button kButtons[] = {
        {IDC_TURN_ALL_OFF, "Turn All &Off", &CSetLayerColorDlg::OnTurnAllOff},
        {IDC_USED_LAYERS_ON, "&Used Layers On", &CSetLayerColorDlg::OnUsedLayersOn},
        {IDC_ALL_LAYERS_ON, "&All Layers On", &CSetLayerColorDlg::OnAllLayersOn},
        {IDC_SINGLE_LAYER, "Single Layer Mode", &CSetLayerColorDlg::OnSingleLayerMode},
        {IDC_RESET_ALL, "Reset All", &CSetLayerColorDlg::OnResetAll},
    };
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    DialogControls::Numbered(buttons->button(QDialogButtonBox::Ok), 1);
    DialogControls::Numbered(buttons->button(QDialogButtonBox::Cancel), 2);
    for (const Button& b : kButtons) {
        QPushButton* button =
            buttons->addButton(QString::fromLatin1(b.text), QDialogButtonBox::ActionRole);
        DialogControls::Numbered(button, b.id);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.handler);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &CSetLayerColorDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSetLayerColorDlg::reject);
    layout()->addWidget(buttons);
}

QCheckBox* CSetLayerColorDlg::Check(int row) const
{
    return HasCheck(row) ? DialogControls::Find<QCheckBox>(this, kRowTable[row].check) : nullptr;
}

CColorStatic* CSetLayerColorDlg::Swatch(int row) const
{
    if (row < 0 || row >= kRows)
        return nullptr;
    return DialogControls::Find<CColorStatic>(this, kRowTable[row].swatch);
}

COLORREF CSetLayerColorDlg::ResetColor(int row)
{
    return row >= 0 && row < kRows ? kRowTable[row].reset : 0;
}

void CSetLayerColorDlg::Load(const LayersValues& values)
{
    m_table = values.table;
    m_used = values.used;
    SetCurrentLayer(values.current);
    ShowTable();
}

void CSetLayerColorDlg::ShowTable()
{
    for (const auto& [row, entry] : m_table) {
        if (row < 0 || row >= kRows)
            continue;
        if (HasCheck(row))
            Check(row)->setChecked(entry.shown != 0);
        Swatch(row)->SetColor(entry.color);
        Swatch(row)->update();
    }
}

void CSetLayerColorDlg::accept()
{
    for (auto& [row, entry] : m_table) {
        if (row < 0 || row >= kRows)
            continue;
        if (HasCheck(row))
            entry.shown = Check(row)->isChecked() ? 1 : 0;
        entry.color = Swatch(row)->GetColor();
    }
    QDialog::accept();
}

bool CSetLayerColorDlg::Ask(QWidget* parent, LayersValues& values)
{
    CSetLayerColorDlg dlg(parent);
    dlg.Load(values);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values.table = dlg.Table();
    return true;
}

void CSetLayerColorDlg::SetRowChecked(int row, bool on)
{
    if (QCheckBox* check = Check(row))
        check->setChecked(on);
}

void CSetLayerColorDlg::OnTurnAllOff()
{
    for (int row = 0; row < kCheckedRows; ++row)
        SetRowChecked(row, false);
}

void CSetLayerColorDlg::OnAllLayersOn()
{
    for (int row = 0; row < kCheckedRows; ++row)
        SetRowChecked(row, true);
}

void CSetLayerColorDlg::OnUsedLayersOn()
{
    OnTurnAllOff();
    for (const auto& [row, value] : m_used) {
        if (!HasCheck(row))
            continue;
        SetRowChecked(row, true);
        if (row == LAYER_MULTI) {
            SetRowChecked(LAYER_VIA_HOLE, true);
            SetRowChecked(LAYER_PAD_HOLE, true);
        }
    }
}

void CSetLayerColorDlg::OnSingleLayerMode()
{
    OnTurnAllOff();
    if (m_current < 0 || m_current > LAYER_VIA_HOLE)
        return;
    SetRowChecked(m_current, true);
    if (m_current == LAYER_MULTI) {
        SetRowChecked(LAYER_VIA_HOLE, true);
        SetRowChecked(LAYER_PAD_HOLE, true);
    }
}

void CSetLayerColorDlg::OnResetAll()
{
    m_table.clear();
    for (int row = 0; row < kRows; ++row)
        m_table[row] = LayerEntry{kRowTable[row].reset, 1};
    ShowTable();
}
