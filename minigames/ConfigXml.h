#pragma once
// Reading pieces that several mini-game configuration files share.

#include <cstdint>

class TiXmlElement;

// The integer attributes `x` and `y` of the first child `element` of `root`;
// each reads 0 when the element or the attribute is missing.
void ReadIntPair(const TiXmlElement* root, const char* element, const char* x, const char* y, int32_t& outX,
                 int32_t& outY);
