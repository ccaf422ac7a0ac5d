#pragma once
// Reading helpers over TinyXML: documents load through the global file
// manager, elements are found by slash-separated paths and attributes are
// read with defaults, so that callers never touch TinyXML's attribute calls.

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>

// Documents nested deeper than this are refused before parsing: the parser
// and the document's destructor recurse once per level.
inline constexpr int kXmlMaxDepth = 256;
// A path segment this long or longer cannot name an element.
inline constexpr size_t kXmlMaxSegment = 512;
// Terminators added behind a text before parsing (the longest UTF-8
// sequence the reader may step over, and then some).
inline constexpr size_t kReaderOverrunPad = 8;

// Line ends become "\n" before parsing. False for a missing file, a parse
// error or a document nested too deep.
bool XmlLoadFile(TiXmlDocument& document, const char* path);
// The same for text already in memory; the text is changed in place.
bool XmlParseText(TiXmlDocument& document, char* text);

// From the node's first child element, follows the path's segments up to its
// last '/'; the text after the last '/' names no element, so "a/b/" and
// "a/b/attribute" both answer b under a. Later siblings of the same name are
// tried when the first has no match.
TiXmlElement* XmlFindPath(TiXmlNode* node, const char* path);

// Null when the element or the name is null or the attribute is missing.
const char* XmlGetAttributeString(const TiXmlElement* element, const char* name);
// A copy the caller releases with free().
char* XmlGetAttributeDup(const TiXmlElement* element, const char* name);
// Leading decimal digits (with sign); 0 when missing or not a number.
int32_t XmlGetAttributeInt(const TiXmlElement* element, const char* name);
float XmlGetAttributeFloat(const TiXmlElement* element, const char* name);
