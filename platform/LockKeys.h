// The keyboard's lock states (Caps Lock, Num Lock, Scroll Lock), read from the lock
// lights the system lists in its LED folder ("/sys/class/leds" on Linux: one folder per
// light, named "<device>::capslock" and so on, holding "brightness"). A lock is on when
// any keyboard's light of it is lit.
#pragma once

#include <optional>
#include <string>

enum class LockKey { Caps, Num, Scroll };

class LockKeys
{
  public:
    static constexpr const char* kLedFolder = "/sys/class/leds";

    // On or off; nothing when no light of that lock is listed (the state is unknown).
    static std::optional<bool> IsOn(LockKey key, const std::string& ledFolder = kLedFolder);
};
