#include "CChangeArcDlg.h"

#include "DialogControls.h"
#include "model/UiServices.h"

namespace
{
enum Control {
    kWidth = 1014,
    kLayer = 1010,
    kX = 1015,
    kY = 1016,
    kRadius = 1019,
    kStart = 1020,
    kEnd = 1021
};
} // namespace

CChangeArcDlg::CChangeArcDlg(bool millimetres, QWidget* parent)
    : CPropertyForm(IDD, QStringLiteral("Change arc"), millimetres, parent)
{
    AddLength(Form(), kWidth, QStringLiteral("Line Width"), 1032, kSize);
    AddList(Form(), kLayer, QStringLiteral("Layer"), DialogControls::LayerNames());
    AddLength(Form(), kX, QStringLiteral("X_location"), 1033);
    AddLength(Form(), kY, QStringLiteral("Y_location"), 1034);
    AddLength(Form(), kRadius, QStringLiteral("Radius"), 1035, kNotNegative);
    AddDegrees(Form(), kStart, QStringLiteral("Start Angle"));
    AddDegrees(Form(), kEnd, QStringLiteral("End Angle"));
    AddButtons();
    SetFocusField(kWidth);
}

void CChangeArcDlg::Load(const ArcProperties& values)
{
    SetNumber(kWidth, values.width);
    SetIndex(kLayer, values.layer);
    SetNumber(kX, values.centre.x);
    SetNumber(kY, values.centre.y);
    SetNumber(kRadius, values.radius);
    SetNumber(kStart, ToDegrees(values.startAngle));
    SetNumber(kEnd, ToDegrees(values.endAngle));
}

void CChangeArcDlg::Store(ArcProperties& values) const
{
    values.width = Number(kWidth);
    StoreIndex(kLayer, &values.layer);
    values.centre = Position(Number(kX), Number(kY));
    values.radius = Number(kRadius);
    values.startAngle = ToRadians(Number(kStart));
    values.endAngle = ToRadians(Number(kEnd));
}

bool CChangeArcDlg::Ask(QWidget* parent, ArcProperties& values)
{
    return Run<CChangeArcDlg>(parent, values);
}
