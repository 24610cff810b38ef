// The arc's properties: width (0 to 1000 mils), layer, centre, radius (not negative) and
// the start and end angles, shown in degrees and handed in and out in radians.
#pragma once

#include "CPropertyForm.h"

struct ArcProperties;

class CChangeArcDlg : public CPropertyForm
{
    Q_OBJECT

  public:
    static constexpr int IDD = 141;

    explicit CChangeArcDlg(bool millimetres, QWidget* parent = nullptr);

    // The values into the controls, and back after the dialog was accepted.
    void Load(const ArcProperties& values);
    void Store(ArcProperties& values) const;

    // Shows the dialog in the board's unit; when accepted, `values` takes what was
    // entered and the result is true.
    static bool Ask(QWidget* parent, ArcProperties& values);
};
