#include "CChangeViaDlg.h"

#include "DialogControls.h"
#include "model/UiServices.h"

#include <QComboBox>

#include <iterator>

namespace
{
enum Control {
    kDiameter = 1226,
    kHole = 1007,
    kPair = 1236,
    kStart = 1011,
    kEnd = 1012,
    kX = 1004,
    kY = 1005
};

struct LayerPair {
    const char* text;
    int start;
    int end;
};

// The pairs offered; the last entry stands for any other pair.
const LayerPair kPairs[] = {
    {"Top - Bottom", 0, 15},         {"Top - Mid 1", 0, 1},       {"Mid 2 - Mid 3", 2, 3},
    {"Mid 4 - Mid 5", 4, 5},         {"Mid 6 - Mid 7", 6, 7},     {"Mid 8 - Mid 9", 8, 9},
    {"Mid 10 - Mid 11", 10, 11},     {"Mid 12 - Mid 13", 12, 13}, {"Mid 14 - Bottom", 14, 15},
    {"Blind & Buried(Any)", -1, -1},
};

} // namespace

CChangeViaDlg::CChangeViaDlg(bool millimetres, QWidget* parent)
    : CPropertyForm(IDD, QStringLiteral("Change Via"), millimetres, parent)
{
    QStringList pairs;
    for (const LayerPair& p : kPairs)
        pairs << QString::fromLatin1(p.text);
    const QStringList copper = DialogControls::LayerNames(DialogControls::kCopperCount);
    AddLength(Form(), kDiameter, QStringLiteral("Diameter"), 1032, kNotNegative);
    AddLength(Form(), kHole, QStringLiteral("Hole Size"), 1033, kNotNegative);
    QComboBox* pair = AddList(Form(), kPair, QStringLiteral("Layer"), pairs);
    AddList(Form(), kStart, QStringLiteral("Start layer"), copper);
    AddList(Form(), kEnd, QStringLiteral("End layer"), copper);
    AddLength(Form(), kX, QStringLiteral("X_location"), 1034);
    AddLength(Form(), kY, QStringLiteral("Y_location"), 1035);
    AddButtons();
    SetFocusField(kDiameter);
    connect(pair, &QComboBox::currentIndexChanged, this, &CChangeViaDlg::OnPairChanged);
}

int CChangeViaDlg::PairIndex(int start, int end)
{
    for (int i = 0; i < kAnyPair; ++i)
        if (kPairs[i].start == start && kPairs[i].end == end)
            return i;
    return kAnyPair;
}

void CChangeViaDlg::OnPairChanged(int index)
{
    if (index >= 0 && index < kAnyPair) {
        SetIndex(kStart, kPairs[index].start);
        SetIndex(kEnd, kPairs[index].end);
    }
    for (int id : {kStart, kEnd})
        DialogControls::Find<QComboBox>(this, id)->setEnabled(index == kAnyPair);
}

void CChangeViaDlg::Load(const ViaProperties& values)
{
    SetNumber(kDiameter, values.diameter);
    SetNumber(kHole, values.hole);
    SetIndex(kStart, values.startLayer);
    SetIndex(kEnd, values.endLayer);
    const int pair = PairIndex(values.startLayer, values.endLayer);
    SetIndex(kPair, pair);
    OnPairChanged(pair);
    SetNumber(kX, values.position.x);
    SetNumber(kY, values.position.y);
}

void CChangeViaDlg::Store(ViaProperties& values) const
{
    values.diameter = Number(kDiameter);
    values.hole = Number(kHole);
    StoreIndex(kStart, &values.startLayer);
    StoreIndex(kEnd, &values.endLayer);
    values.position = Position(Number(kX), Number(kY));
}

bool CChangeViaDlg::Ask(QWidget* parent, ViaProperties& values)
{
    return Run<CChangeViaDlg>(parent, values);
}
