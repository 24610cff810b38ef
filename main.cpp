#include <cstdio>

int main()
{
    std::printf("Vantor Version %u.%02u.%02u\n", unsigned(VANTOR_VERSION_MAJOR),
                unsigned(VANTOR_VERSION_MINOR), unsigned(VANTOR_VERSION_PATCH));
    return 0;
}
