#include "CChangeLineDlg.h"

#include "DialogControls.h"
#include "model/UiServices.h"

namespace
{
enum Control {
    kWidth = 1014,
    kLayer = 1010,
    kStartX = 1015,
    kStartY = 1016,
    kEndX = 1019,
    kEndY = 1020
};
} // namespace

CChangeLineDlg::CChangeLineDlg(bool millimetres, QWidget* parent)
    : CPropertyForm(IDD, QStringLiteral("Chang Track"), millimetres, parent)
{
    AddLength(Form(), kWidth, QStringLiteral("Width"), 1032, kNotNegative);
    AddList(Form(), kLayer, QStringLiteral("Layer"), DialogControls::LayerNames());
    AddLength(Form(), kStartX, QStringLiteral("Start-X"), 1033);
    AddLength(Form(), kStartY, QStringLiteral("Start-Y"), 1034);
    AddLength(Form(), kEndX, QStringLiteral("End-X"), 1035);
    AddLength(Form(), kEndY, QStringLiteral("End-Y"), 1036);
    AddButtons();
    SetFocusField(kWidth);
}

void CChangeLineDlg::Load(const TrackProperties& values)
{
    SetNumber(kWidth, values.width);
    SetIndex(kLayer, values.layer);
    SetNumber(kStartX, values.start.x);
    SetNumber(kStartY, values.start.y);
    SetNumber(kEndX, values.end.x);
    SetNumber(kEndY, values.end.y);
}

void CChangeLineDlg::Store(TrackProperties& values) const
{
    values.width = Number(kWidth);
    StoreIndex(kLayer, &values.layer);
    values.start = Position(Number(kStartX), Number(kStartY));
    values.end = Position(Number(kEndX), Number(kEndY));
}

bool CChangeLineDlg::Ask(QWidget* parent, TrackProperties& values)
{
    return Run<CChangeLineDlg>(parent, values);
}
