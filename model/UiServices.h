// What the model asks of the user interface: property dialogs as functions over plain
// values (lengths in mils, angles in radians), and messages. The user interface
// implements it; tests install a scripted fake. With nothing installed every dialog
// is cancelled and messages are dropped.
#pragma once

#include "Geometry.h"

#include <string>

struct TrackProperties {
    double width = 0.0;
    Position start;
    Position end;
    int layer = 0;
};

struct ArcProperties {
    Position centre;
    double startAngle = 0.0; // radians
    double endAngle = 0.0;   // radians
    double width = 0.0;
    int layer = 0;
    double radius = 0.0;
};

class UiServices {
public:
    virtual ~UiServices() = default;

    // Each returns true when the user confirmed the dialog; the values are then updated.
    virtual bool EditTrack(TrackProperties& values) = 0;
    virtual bool EditArc(ArcProperties& values) = 0;

    virtual void MessageBox(const std::string& text) = 0;

    static UiServices& Current();
    // Installs the services the model uses; null restores the default.
    static void Install(UiServices* services);
};
