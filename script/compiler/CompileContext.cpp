#include "script/compiler/CompileContext.h"

namespace Vrel {

CompileContext::CompileContext(const char* name, const char* text)
    : sourceText(text ? text : ""),
      moduleName(ModuleNameFromPath(name)),
      ownSourceName_(name ? name : ""),
      sourceName(ownSourceName_) {}

CompileContext::CompileContext(const CompileContext& outer, BinCode* body)
    : target(body), sourceText(outer.sourceText), sourceName(outer.sourceName) {}

std::string ModuleNameFromPath(const char* path) {
    std::string text = path ? path : "";
    size_t slash = text.find_last_of("/\\");
    std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name.empty() ? "(memory)" : name;
}

}  // namespace Vrel
