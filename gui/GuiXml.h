#pragma once
// An XML document as a script value (script type "xmldoc"). Scripts load
// layouts and other XML files into it and read single elements; a widget
// created with a document ("use_xml") and a tag ("xml_tag") takes its
// position from the layout element whose "image" attribute is that tag.
// A declared but never loaded document has no content: it matches nothing.

#include "platform/ClassRecord.h"
#include "script/runtime/values/VarExtension.h"
#include "script/runtime/values/t_Named.h"

#include <memory>

class TiXmlDocument;

namespace halvo {

class GuiXML : public Vrel::VarExtension {
public:
    static const ClassRecord kClassRecord;
    static RefObj* Create();

    // Layout element attributes.
    static constexpr const char* kAttrImage = "image";
    static constexpr const char* kAttrX = "x1";
    static constexpr const char* kAttrY = "y1";

    GuiXML();
    ~GuiXML() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "xmldoc"; }

    // Replaces the document with the file's (through the global file
    // manager, line ends made LF). False, leaving no document, for a
    // missing file or malformed XML.
    bool Load(const char* fileName);
    bool HasDocument() const { return document_ != nullptr; }
    TiXmlDocument* GetDocument() const { return document_.get(); }

    // The document a script value holds, else null.
    static GuiXML* FromValue(const Vrel::Var& value);

    struct LayoutPosition {
        bool hasX = false, hasY = false;
        float x = 0, y = 0;
    };
    // The first child element of the root whose "image" equals `tag`
    // exactly, one level only; "x1"/"y1" when present and finite. False
    // when no element matches.
    bool FindLayoutPosition(const char* tag, LayoutPosition& position) const;

    // The attributes of the element at the "/"-separated path as a new
    // structure of copied texts, in attribute order; null when there is no
    // document or no such element.
    AutoRef<Vrel::t_Named> FindNode(const char* path) const;

private:
    std::unique_ptr<TiXmlDocument> document_;
};

}  // namespace halvo
