#pragma once
// A temporary folder mounted once as a root of FileManager::Global(), for
// code that reads through the global file manager (localisation, XML).
// Tests write into it and call ResetDirectoryCaches when they add folders.

#include "support/TempFolder.h"

namespace testsupport {

const TempFolder& GlobalDataRoot();

}  // namespace testsupport
