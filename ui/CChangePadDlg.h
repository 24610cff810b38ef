// The pad's properties: designator, shape, width, height and hole (each 0 to 1000 mils),
// layer, rotation (shown in degrees, handed in and out in radians) and position.
#pragma once

#include "CPropertyForm.h"

struct PadProperties;

class CChangePadDlg : public CPropertyForm
{
    Q_OBJECT

  public:
    static constexpr int IDD = 134;

    explicit CChangePadDlg(bool millimetres, QWidget* parent = nullptr);

    // The values into the controls, and back after the dialog was accepted.
    void Load(const PadProperties& values);
    void Store(PadProperties& values) const;

    // Shows the dialog in the board's unit; when accepted, `values` takes what was
    // entered and the result is true.
    static bool Ask(QWidget* parent, PadProperties& values);
};
