// The track's properties: width (not negative), layer, start and end point.
#pragma once

#include "CPropertyForm.h"

struct TrackProperties;

class CChangeLineDlg : public CPropertyForm
{
    Q_OBJECT

  public:
    static constexpr int IDD = 142;

    explicit CChangeLineDlg(bool millimetres, QWidget* parent = nullptr);

    // The values into the controls, and back after the dialog was accepted.
    void Load(const TrackProperties& values);
    void Store(TrackProperties& values) const;

    // Shows the dialog in the board's unit; when accepted, `values` takes what was
    // entered and the result is true.
    static bool Ask(QWidget* parent, TrackProperties& values);
};
