// XML documents from arbitrary bytes, loaded through the file manager and
// searched by path: broken or deeply nested input must fail cleanly.

#include "platform/FileManager.h"
#include "platform/XmlUtil.h"
#include "support/GlobalDataRoot.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const char* kPaths[] = {"a", "a/", "a/b/", "a/b/c/d", "x/y/z/", "/", "//", "item/item/item/"};
const char* kAttributes[] = {"a", "b", "name", "x", "y"};

void ReadAttributes(const TiXmlElement* element) {
    for (const char* name : kAttributes) {
        XmlGetAttributeInt(element, name);
        XmlGetAttributeFloat(element, name);
        XmlGetAttributeString(element, name);
        std::free(XmlGetAttributeDup(element, name));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    testsupport::GlobalDataRoot().WriteFile("fuzz.xml", text);
    TiXmlDocument document;
    if (!XmlLoadFile(document, "fuzz.xml")) return 0;
    for (const char* path : kPaths) ReadAttributes(XmlFindPath(&document, path));
    // Paths taken from the document itself reach its real element names.
    std::string own;
    for (const TiXmlElement* e = document.FirstChildElement(); e; e = e->FirstChildElement()) {
        own += e->Value();
        own += '/';
        if (own.size() > 2048) break;
    }
    ReadAttributes(XmlFindPath(&document, own.c_str()));
    return 0;
}
