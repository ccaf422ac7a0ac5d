#pragma once

#include <string>
#include <vector>

// Splits a data path at every '/' and '\'; empty components (doubled or
// leading separators) are dropped. A null text gives no components.
std::vector<std::string> SplitPath(const char* text);
