#include "BenchUi.h"

#include <cstdio>

bool BenchUi::Open(DialogValues values)
{
    const bool answered =
        std::holds_alternative<DpiValues*>(values) || std::holds_alternative<Question*>(values);
    return answered && m_confirm;
}

void BenchUi::MessageBox(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}
