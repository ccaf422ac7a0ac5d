// GUI layouts from arbitrary bytes: loaded as a document, used to place
// widgets by every tag the document names and searched by path. A load may
// fail, but a placed widget always has a finite position and nothing found
// may point into the document after it is gone.

#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "gui/GuiXml.h"
#include "platform/FileManager.h"
#include "platform/XmlUtil.h"
#include "support/GlobalDataRoot.h"

#include <tinyxml.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Tags tried per input; enough to reach past the first few elements.
constexpr int kMaxTags = 16;
const char* kPaths[] = {"item/", "layout/item/", "a/b/", "/", ""};

void PlaceWith(halvo::GuiXML* document, const char* tag) {
    halvo::AutoRef<Vrel::t_Named> params(new Vrel::t_Named);
    params->GetOrAddMember(halvo::GuiWidget::kPropUseXml)->SetObject(document);
    params->GetOrAddMember(halvo::GuiWidget::kPropXmlTag)->SetString(tag);
    halvo::AutoRef<halvo::GuiWidget> widget = halvo::GuiCreateWidget("Frame", *params, nullptr);
    if (!widget) std::abort();
    const Vrel::Var* x = widget->GetMember(halvo::GuiWidget::kPropXPos);
    const Vrel::Var* y = widget->GetMember(halvo::GuiWidget::kPropYPos);
    float fx = 0, fy = 0;
    if (!x || !y || !x->ToFloat(fx) || !y->ToFloat(fy) || !std::isfinite(fx) || !std::isfinite(fy)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    halvo::GuiMain::Global();
    const std::string text(reinterpret_cast<const char*>(data), size);
    testsupport::GlobalDataRoot().WriteFile("layout.xml", text);
    FileManager::Global().ResetDirectoryCaches();
    halvo::AutoRef<halvo::GuiXML> document(new halvo::GuiXML);
    if (!document->Load("layout.xml")) {
        PlaceWith(document.Get(), "logo");
        return 0;
    }
    std::vector<std::string> tags{"logo", ""};
    if (const TiXmlElement* root = document->GetDocument()->FirstChildElement()) {
        for (const TiXmlElement* e = root->FirstChildElement(); e && tags.size() < kMaxTags; e = e->NextSiblingElement())
            if (const char* image = XmlGetAttributeString(e, "image")) tags.emplace_back(image);
    }
    for (const std::string& tag : tags) PlaceWith(document.Get(), tag.c_str());
    std::vector<halvo::AutoRef<Vrel::t_Named>> found;
    for (const char* path : kPaths) found.push_back(document->FindNode(path));
    document.Reset();
    for (const auto& node : found) {
        if (!node) continue;
        for (const auto& [name, value] : node->GetMembers()) {
            const char* attribute = value.GetCString();
            if (!attribute) std::abort();
            volatile size_t length = std::strlen(attribute);
            (void)length;
        }
    }
    return 0;
}
