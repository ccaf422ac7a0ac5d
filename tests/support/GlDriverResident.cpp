#include "support/GlDriverResident.h"

#include <dlfcn.h>

#include <fstream>
#include <string>

namespace testsupport {

void KeepGlDriverResident() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const size_t path = line.find('/');
        if (path == std::string::npos || line.find("_dri.so") == std::string::npos) continue;
        // Re-opening a loaded module with NODELETE pins it; the handle is
        // deliberately kept.
        dlopen(line.c_str() + path, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
}

}  // namespace testsupport
