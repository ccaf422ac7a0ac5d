#pragma once
// The table writer lives with the data tool; tests and fuzz seeds use it
// under its old name.

#include "tools/datawriters/LocaTableWriter.h"

namespace testsupport {
using ::LocaTableWriter;
}  // namespace testsupport
