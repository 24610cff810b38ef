#include "Utilities.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include <unistd.h>

int thePlatformFlag = 1;

namespace
{

std::string ProgramPath()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0)
        return std::string();
    return std::string(buffer, std::size_t(n));
}

struct BinResource {
    const void* data = nullptr;
    unsigned size = 0;
};

std::mutex& ResourceMutex()
{
    static std::mutex m;
    return m;
}

std::map<UINT, BinResource>& Resources()
{
    static std::map<UINT, BinResource> table;
    return table;
}

constexpr unsigned kNoResource = 0xFFFFFFFFu;

} // namespace

std::string GetProgramFolder()
{
    const std::string path = ProgramPath();
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return "/";
    return path.substr(0, slash + 1);
}

std::string GetProgramFileName(const char* suffix)
{
    std::string path = ProgramPath();
    if (suffix)
        path += suffix;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

unsigned LoadBinResource(void* dst, UINT id)
{
    std::lock_guard<std::mutex> lock(ResourceMutex());
    auto it = Resources().find(id);
    if (it == Resources().end())
        return kNoResource;
    const BinResource& res = it->second;
    if (!res.data && res.size > 0)
        return kNoResource;
    if (dst && res.size > 0)
        std::memcpy(dst, res.data, res.size);
    return res.size;
}

void RegisterBinResource(UINT id, const void* data, unsigned size)
{
    std::lock_guard<std::mutex> lock(ResourceMutex());
    Resources()[id] = BinResource{data, size};
}

void UnregisterBinResource(UINT id)
{
    std::lock_guard<std::mutex> lock(ResourceMutex());
    Resources().erase(id);
}

double RadToDeg(double x)
{
    return x * 180.0 / 3.1415926;
}

double DegToRad(double* x)
{
    *x = 3.1415926 * *x * (1.0 / 180);
    return *x;
}

// The trailing digits are read from the right. A digit run whose value does not fit a
// 32-bit int is not a usable number: an all-digit name then becomes "0", and a name
// with a prefix keeps its prefix followed by "0". Otherwise the sum is formed in 64
// bits, so that stepping past the largest int gives the next number, not a wrapped one.
std::string IncrementNameNumber(std::string& name, int step)
{
    if (step == 0)
        return name;
    if (name.empty()) {
        name.assign(1, '1');
        return name;
    }

    std::int64_t value = 0;
    std::int64_t weight = 1; // 10^k while it stays below the overflow limit
    bool tooLarge = false;
    std::size_t i = name.size();
    while (i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9') {
        const int digit = name[i - 1] - '0';
        if (digit != 0) {
            if (weight > INT32_MAX)
                tooLarge = true;
            else
                value += digit * weight;
            if (value > INT32_MAX)
                tooLarge = true;
        }
        if (weight <= INT32_MAX)
            weight *= 10;
        --i;
    }

    const std::string number = tooLarge ? std::string("0") : std::to_string(value + step);
    name.resize(i);
    name += number;
    return name;
}

BOOL IsWinNT()
{
    return TRUE;
}

bool AllFinite(std::initializer_list<double> values)
{
    for (const double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}
