#include "SettingsFolder.h"

#include "model/Utilities.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace
{

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// A folder that may not exist yet: created (with its parents). A failure is left for
// the first write there to report.
std::string Ensure(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return WithSlash(folder);
}

std::string NonEmptyEnv(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : std::string();
}

std::string HomeFolder()
{
    std::string home = NonEmptyEnv("HOME");
    if (!home.empty())
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
        return pw->pw_dir;
    return ".";
}

} // namespace

std::string GetSettingsFolder()
{
    const std::string chosen = NonEmptyEnv("VANTOR_HOME");
    if (!chosen.empty())
        return Ensure(chosen);

    const std::string program = GetProgramFolder();
    if (::access(program.c_str(), W_OK) == 0)
        return WithSlash(program);

    // The base directory for configuration must be an absolute path; anything else is
    // ignored.
    const std::string config = NonEmptyEnv("XDG_CONFIG_HOME");
    if (!config.empty() && config.front() == '/')
        return Ensure(WithSlash(config) + "vantor");
    return Ensure(WithSlash(HomeFolder()) + ".config/vantor");
}
