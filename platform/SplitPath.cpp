#include "platform/SplitPath.h"

std::vector<std::string> SplitPath(const char* text) {
    std::vector<std::string> components;
    if (!text) return components;
    std::string current;
    for (const char* p = text; *p; ++p) {
        if (*p == '/' || *p == '\\') {
            if (!current.empty()) components.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(*p);
        }
    }
    if (!current.empty()) components.push_back(std::move(current));
    return components;
}
