// The single pass over plain XML documents against the tree parser: for
// any input both must hand out the same elements, attributes and lines, or
// refuse it with the same message on the same line.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "xml_recording.h"

using namespace sormel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string quick = recordXml(text, XmlReading::Quick).result;
    const std::string tree = recordXml(text, XmlReading::Tree).result;
    FUZZ_CHECK(quick == tree, "single pass: %s\ntree: %s", quick.c_str(), tree.c_str());
    return 0;
}
