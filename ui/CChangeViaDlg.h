// The via's properties: diameter and hole (not negative), the pair of copper layers it
// joins and its position. The pair list offers the usual pairs; "Blind & Buried(Any)"
// (index 9) lets the start and end layer be chosen freely, and only then are those lists
// enabled.
#pragma once

#include "CPropertyForm.h"

struct ViaProperties;

class CChangeViaDlg : public CPropertyForm
{
    Q_OBJECT

  public:
    static constexpr int IDD = 163;

    explicit CChangeViaDlg(bool millimetres, QWidget* parent = nullptr);

    // The values into the controls, and back after the dialog was accepted.
    void Load(const ViaProperties& values);
    void Store(ViaProperties& values) const;

    // Shows the dialog in the board's unit; when accepted, `values` takes what was
    // entered and the result is true.
    static bool Ask(QWidget* parent, ViaProperties& values);

    // Index of the pair (start, end) in the pair list; kAnyPair when it is none of them.
    static int PairIndex(int start, int end);
    static constexpr int kAnyPair = 9;

  private:
    void OnPairChanged(int index);
};
