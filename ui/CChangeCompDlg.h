// The component's properties: side, pattern, reference point, rotation (0 to 360
// degrees) and lock, and for its designator and its comment the text, stroke width and
// height (0 to 1000 mils), layer, position, rotation (0 to 360 degrees), hidden and
// mirrored. Angles are handed in and out in radians.
#pragma once

#include "CPropertyForm.h"

struct ComponentProperties;

class CChangeCompDlg : public CPropertyForm
{
    Q_OBJECT

  public:
    static constexpr int IDD = 149;

    explicit CChangeCompDlg(bool millimetres, QWidget* parent = nullptr);

    // The values into the controls, and back after the dialog was accepted.
    void Load(const ComponentProperties& values);
    void Store(ComponentProperties& values) const;

    // Shows the dialog in the board's unit; when accepted, `values` takes what was
    // entered and the result is true.
    static bool Ask(QWidget* parent, ComponentProperties& values);
};
