#include "CChangeFillAreaDlg.h"

#include "DialogControls.h"
#include "model/UiServices.h"

#include <QComboBox>
#include <QTimer>

namespace
{
enum Control { kLayer = 1010, kX1 = 1007, kY1 = 1020, kX2 = 1019, kY2 = 1018 };
} // namespace

CChangeFillAreaDlg::CChangeFillAreaDlg(bool millimetres, QWidget* parent)
    : CPropertyForm(IDD, QStringLiteral("Change Area Fill"), millimetres, parent)
{
    AddList(Form(), kLayer, QStringLiteral("Layer"), DialogControls::LayerNames());
    AddLength(Form(), kX1, QStringLiteral("Corner 1 - X"), 1032);
    AddLength(Form(), kY1, QStringLiteral("Corner 1- Y"), 1033);
    AddLength(Form(), kX2, QStringLiteral("Corner 2- X"), 1034);
    AddLength(Form(), kY2, QStringLiteral("Corner 2- Y"), 1035);
    AddButtons();
}

void CChangeFillAreaDlg::Load(const FillProperties& values)
{
    SetIndex(kLayer, values.layer);
    SetNumber(kX1, values.corner1.x);
    SetNumber(kY1, values.corner1.y);
    SetNumber(kX2, values.corner2.x);
    SetNumber(kY2, values.corner2.y);
}

void CChangeFillAreaDlg::Store(FillProperties& values) const
{
    StoreIndex(kLayer, &values.layer);
    values.corner1 = Position(Number(kX1), Number(kY1));
    values.corner2 = Position(Number(kX2), Number(kY2));
}

bool CChangeFillAreaDlg::Ask(QWidget* parent, FillProperties& values)
{
    return Run<CChangeFillAreaDlg>(parent, values);
}

void CChangeFillAreaDlg::showEvent(QShowEvent* e)
{
    CPropertyForm::showEvent(e);
    // The layer list opens at once, once the dialog is on screen.
    QComboBox* layers = DialogControls::Find<QComboBox>(this, kLayer);
    layers->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, layers, [layers] {
        if (layers->isVisible())
            layers->showPopup();
    });
}
