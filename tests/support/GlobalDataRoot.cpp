#include "support/GlobalDataRoot.h"

#include "platform/FileManager.h"

namespace testsupport {

const TempFolder& GlobalDataRoot() {
    static TempFolder root;
    static bool mounted = false;
    if (!mounted) {
        FileManager::Global().AddRoot(root.Path().c_str());
        mounted = true;
    }
    return root;
}

}  // namespace testsupport
