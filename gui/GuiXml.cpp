#include "gui/GuiXml.h"

#include "platform/XmlUtil.h"
#include "script/runtime/values/Var.h"

#include <tinyxml.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace halvo {

namespace {

// A layout coordinate: present, a number from its first character, finite.
bool ReadCoordinate(const TiXmlElement& element, const char* name, float& out) {
    const char* text = XmlGetAttributeString(&element, name);
    if (!text) return false;
    char* end = nullptr;
    const float value = std::strtof(text, &end);
    if (end == text || !std::isfinite(value)) return false;
    out = value;
    return true;
}

}  // namespace

const ClassRecord GuiXML::kClassRecord = {"GuiXML", &Vrel::VarExtension::kClassRecord, &GuiXML::Create};

RefObj* GuiXML::Create() { return new GuiXML; }

GuiXML::GuiXML() = default;

GuiXML::~GuiXML() = default;

bool GuiXML::Load(const char* fileName) {
    document_.reset();
    if (!fileName) return false;
    auto document = std::make_unique<TiXmlDocument>();
    if (!XmlLoadFile(*document, fileName)) return false;
    document_ = std::move(document);
    return true;
}

GuiXML* GuiXML::FromValue(const Vrel::Var& value) {
    Vrel::VarExtension* object = value.GetObject();
    if (!object || !object->IsKindOf(kClassRecord)) return nullptr;
    return static_cast<GuiXML*>(object);
}

bool GuiXML::FindLayoutPosition(const char* tag, LayoutPosition& position) const {
    if (!document_ || !tag) return false;
    const TiXmlElement* root = document_->FirstChildElement();
    if (!root) return false;
    for (const TiXmlElement* element = root->FirstChildElement(); element;
         element = element->NextSiblingElement()) {
        const char* image = XmlGetAttributeString(element, kAttrImage);
        if (!image || std::strcmp(image, tag) != 0) continue;
        position.hasX = ReadCoordinate(*element, kAttrX, position.x);
        position.hasY = ReadCoordinate(*element, kAttrY, position.y);
        return true;
    }
    return false;
}

AutoRef<Vrel::t_Named> GuiXML::FindNode(const char* path) const {
    if (!document_ || !path) return {};
    const TiXmlElement* element = XmlFindPath(document_.get(), path);
    if (!element) return {};
    AutoRef<Vrel::t_Named> node(new Vrel::t_Named);
    for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute; attribute = attribute->Next()) {
        // Copies: the structure may outlive this document or its next load.
        if (Vrel::Var* member = node->GetOrAddMember(attribute->Name())) member->SetString(attribute->Value());
    }
    return node;
}

}  // namespace halvo
