#include "LockKeys.h"

#include <filesystem>
#include <fstream>

namespace
{

const char* Suffix(LockKey key)
{
    switch (key) {
    case LockKey::Caps:
        return "::capslock";
    case LockKey::Num:
        return "::numlock";
    case LockKey::Scroll:
        return "::scrolllock";
    }
    return "";
}

} // namespace

std::optional<bool> LockKeys::IsOn(LockKey key, const std::string& ledFolder)
{
    namespace fs = std::filesystem;
    const std::string suffix = Suffix(key);
    std::optional<bool> state;
    std::error_code ec;
    for (fs::directory_iterator it(ledFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() < suffix.size() ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::ifstream in(it->path() / "brightness");
        int brightness = 0;
        if (!(in >> brightness))
            continue;
        state = state.value_or(false) || brightness > 0;
    }
    return state;
}
