#include "script/runtime/values/PrintPath.h"

#include <algorithm>
#include <vector>

namespace Vrel {

namespace {
std::vector<const VarExtension*>& Path() {
    // Never destroyed: texts may still be formed during static destruction.
    static auto* path = new std::vector<const VarExtension*>;
    return *path;
}
}  // namespace

PrintPath::PrintPath(const VarExtension* container) { Path().push_back(container); }

PrintPath::~PrintPath() { Path().pop_back(); }

bool PrintPath::MustElide(const VarExtension* object) {
    const auto& path = Path();
    if (static_cast<int>(path.size()) >= kMaxPrintDepth) return true;
    return std::find(path.begin(), path.end(), object) != path.end();
}

}  // namespace Vrel
