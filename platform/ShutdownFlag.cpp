#include "platform/ShutdownFlag.h"

namespace halvo {
namespace {

bool& ShuttingDown() {
    static bool flag = false;
    return flag;
}

}  // namespace

void MarkProcessShuttingDown() { ShuttingDown() = true; }
bool IsProcessShuttingDown() { return ShuttingDown(); }
void ClearProcessShuttingDown() { ShuttingDown() = false; }

}  // namespace halvo
