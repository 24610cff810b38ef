// Tests that link the tools start each test with the track tool's routing mode the
// program starts with.
#include "TestReset.h"
#include "commands/CCreateLine.h"

namespace
{
const bool kRegistered = AddTestReset([] { RoutingMode = 0; });
} // namespace
