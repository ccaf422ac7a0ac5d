#include "minigames/ConfigXml.h"

#include "platform/XmlUtil.h"

void ReadIntPair(const TiXmlElement* root, const char* element, const char* x, const char* y, int32_t& outX,
                 int32_t& outY) {
    const TiXmlElement* found = root->FirstChildElement(element);
    outX = XmlGetAttributeInt(found, x);
    outY = XmlGetAttributeInt(found, y);
}
