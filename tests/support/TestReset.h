// Resets that run before every test, on top of the model's own (prototypes, installed
// services). A support library of a higher layer registers its own from a static
// initialiser (linked as object files, so the linker keeps it).
#pragma once

#include <functional>

// Always true; the value lets a registration be a namespace-scope constant.
bool AddTestReset(std::function<void()> reset);
