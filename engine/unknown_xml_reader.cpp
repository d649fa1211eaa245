#include "engine/unknown_xml_reader.h"

#include "engine/deck_format.h"
#include "engine/visible_text.h"

namespace sormel {

UnknownXmlReader::UnknownXmlReader(std::string_view text)
    : warning_("XML のルート要素 " + visibleText(xmlRootElement(text)) + " は知らない形式なので、カードを読みません。") {}

}  // namespace sormel
