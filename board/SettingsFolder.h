// Where the program keeps "layer.dat", "lib.dat", its settings and language files.
#pragma once

#include <string>

// $VANTOR_HOME when set; else the program's folder when it is writable; else
// $XDG_CONFIG_HOME/vantor, or ~/.config/vantor without it. The folder chosen is created
// when missing. Always ends in '/'.
std::string GetSettingsFolder();
