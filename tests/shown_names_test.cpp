// Folder names as the program shows them, and names made distinct.
#include "engine/shown_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sormel {
namespace {

TEST(ShownNames, FolderNamesDecodeAsDeckFilesDo) {
    const struct {
        const char* what;
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"UTF-8 stays", "白単", "白単"},
        {"Shift_JIS is decoded", "\x94\x92\x92\x50", "白単"},
        {"half-width katakana", "\xB1\xB8\xDE\xDB", "ｱｸﾞﾛ"},
        {"bytes that decode as neither", "a\x81\x20", "a\xEF\xBF\xBD "},
    };
    for (const auto& c : cases) EXPECT_EQ(shownFolderName(c.bytes), c.shown) << c.what;
}

TEST(ShownNames, LaterNamesGainTheFirstFreeNumber) {
    DistinctNames names({"全体"});
    std::vector<std::string> given;
    for (const char* name : {"白単", "全体", "白単", "白単 (2)", "白単", "全体"}) given.push_back(names.give(name));
    EXPECT_EQ(given, (std::vector<std::string>{"白単", "全体 (2)", "白単 (2)", "白単 (2) (2)", "白単 (3)", "全体 (3)"}));
}

}  // namespace
}  // namespace sormel
