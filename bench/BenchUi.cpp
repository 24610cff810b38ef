#include "BenchUi.h"

#include <cstdio>

void BenchUi::MessageBox(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}
