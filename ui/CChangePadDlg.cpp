#include "CChangePadDlg.h"

#include "DialogControls.h"
#include "model/UiServices.h"

namespace
{
enum Control {
    kName = 1008,
    kShape = 1015,
    kWidth = 1009,
    kHeight = 1014,
    kHole = 1007,
    kLayer = 1010,
    kRotation = 1006,
    kX = 1004,
    kY = 1005
};
} // namespace

CChangePadDlg::CChangePadDlg(bool millimetres, QWidget* parent)
    : CPropertyForm(IDD, QStringLiteral("Change Pad"), millimetres, parent)
{
    AddText(Form(), kName, QStringLiteral("Designator"));
    AddList(Form(), kShape, QStringLiteral("Shape"),
            {QStringLiteral("Rounded"), QStringLiteral("Rectangle")});
    AddLength(Form(), kWidth, QStringLiteral("Width"), 1032, kSize);
    AddLength(Form(), kHeight, QStringLiteral("Height"), 1033, kSize);
    AddLength(Form(), kHole, QStringLiteral("Hole Size"), 1034, kSize);
    AddList(Form(), kLayer, QStringLiteral("Layer"), DialogControls::LayerNames());
    AddDegrees(Form(), kRotation, QStringLiteral("Rotation"));
    AddLength(Form(), kX, QStringLiteral("X_location"), 1035);
    AddLength(Form(), kY, QStringLiteral("Y_location"), 1036);
    AddButtons();
    SetFocusField(kWidth);
}

void CChangePadDlg::Load(const PadProperties& values)
{
    SetText(kName, values.name);
    SetIndex(kShape, values.shape);
    SetNumber(kWidth, values.width);
    SetNumber(kHeight, values.height);
    SetNumber(kHole, values.hole);
    SetIndex(kLayer, values.layer);
    SetNumber(kRotation, ToDegrees(values.rotation));
    SetNumber(kX, values.position.x);
    SetNumber(kY, values.position.y);
}

void CChangePadDlg::Store(PadProperties& values) const
{
    values.name = Text(kName);
    StoreIndex(kShape, &values.shape);
    values.width = Number(kWidth);
    values.height = Number(kHeight);
    values.hole = Number(kHole);
    StoreIndex(kLayer, &values.layer);
    values.rotation = ToRadians(Number(kRotation));
    values.position = Position(Number(kX), Number(kY));
}

bool CChangePadDlg::Ask(QWidget* parent, PadProperties& values)
{
    return Run<CChangePadDlg>(parent, values);
}
