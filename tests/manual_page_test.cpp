// The manual pages, English and Japanese, name every option the program
// takes and no option it does not, so that an option added, renamed or
// removed without its manual entry fails here.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "app/command_line.h"
#include "test_support.h"

namespace sormel {
namespace {

// The long options a page's troff source writes, "\-\-help\-all" as "help-all".
std::set<std::string> optionsNamedIn(const std::string& page) {
    static const std::regex option(R"(\\-\\-([a-z0-9]+(?:\\-[a-z0-9]+)*))");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), option); it != std::sregex_iterator(); ++it) {
        names.insert(std::regex_replace((*it)[1].str(), std::regex(R"(\\-)"), "-"));
    }
    return names;
}

std::string listed(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += " --" + name;
    return text;
}

TEST(ManualPages, NameEveryOptionOfTheProgramAndNoOther) {
    std::set<std::string> program;
    for (const std::string_view name : optionNames()) program.emplace(name);
    ASSERT_TRUE(program.count("batch") && program.count("help-all"));

    for (const char* page : {"sormel-checker.1.in", "ja/sormel-checker.1.in"}) {
        const std::string text = testing::readFile(std::filesystem::path(SORMEL_MANUAL_DIR) / page);
        ASSERT_FALSE(text.empty()) << page;
        const std::set<std::string> named = optionsNamedIn(text);
        std::set<std::string> missing, unknown;
        for (const std::string& name : program) {
            if (!named.count(name)) missing.insert(name);
        }
        for (const std::string& name : named) {
            if (!program.count(name)) unknown.insert(name);
        }
        EXPECT_TRUE(missing.empty()) << page << " does not describe:" << listed(missing);
        EXPECT_TRUE(unknown.empty()) << page << " names options the program does not take:" << listed(unknown);
    }
}

}  // namespace
}  // namespace sormel
