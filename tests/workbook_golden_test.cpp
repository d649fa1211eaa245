// The workbooks the reports make, part by part, against the parts of the
// workbooks libxlsxwriter 1.1.4 (the Excel library the program used before)
// wrote for the same decks and options: tests/golden/workbooks/*.parts. The
// XML of every part must be the same byte for byte, the times of the run
// aside, so that Excel reads the workbooks as it read those.

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "program_test.h"

namespace sormel {
namespace {

using testing::readFile;
using testing::runProgram;
using testing::shellQuoted;

const std::filesystem::path kGolden = SORMEL_GOLDEN_DIR;

// Every part of the workbook, sorted by name, as "=== NAME\nXML\n".
std::string partsOf(const std::filesystem::path& book, const testing::ScratchFolder& scratch) {
    const std::filesystem::path into = scratch.path() / "parts";
    const auto unzipped = runProgram("unzip -q -o " + shellQuoted(book) + " -d " + shellQuoted(into), scratch);
    EXPECT_EQ(unzipped.status, 0) << unzipped.err;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(into)) {
        if (entry.is_regular_file()) names.push_back(entry.path().lexically_relative(into).generic_string());
    }
    std::sort(names.begin(), names.end());
    std::string parts;
    for (const std::string& name : names) {
        std::string text = readFile(into / name);
        text = std::regex_replace(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)"), "TIME");
        text = std::regex_replace(text, std::regex(R"(<t>\d{4}-\d\d-\d\d \d\d:\d\d</t>)"), "<t>TIME</t>");
        parts += "=== " + name + "\n" + text + "\n";
    }
    return parts;
}

// Where two texts of parts first differ: the part and the text around it.
std::string firstDifference(const std::string& made, const std::string& expected) {
    const auto at = std::mismatch(made.begin(), made.end(), expected.begin(), expected.end());
    if (at.first == made.end() && at.second == expected.end()) return "";
    const auto offset = static_cast<std::size_t>(at.first - made.begin());
    const std::size_t part = made.rfind("=== ", offset);
    const std::string name = part == std::string::npos ? "" : made.substr(part, made.find('\n', part) - part);
    const std::size_t from = offset < 80 ? 0 : offset - 80;
    return name + ": made …" + made.substr(from, 160) + "… expected …" + expected.substr(from, 160) + "…";
}

TEST(WorkbookParts, MatchWhatTheFormerExcelLibraryWrote) {
    struct Case {
        const char* name;
        std::string arguments;  // from the checkout; OUT is the scratch folder
    };
    const std::string rules = "tests/golden/workbooks/rules.toml";
    const Case cases[] = {
        {"decks", "samples/decks --average-deck OUT/avg.txt"},
        {"compare", "samples/decks --compare samples/results"},
        {"periods", "samples/periods --periods"},
        {"periods-types", "samples/periods --periods --types " + rules},
        {"typed", "tests/golden/workbooks/typed --by-folder --average-deck OUT"},
        {"results", "samples/results --results samples/results/results.csv --types " + rules},
    };
    for (const Case& c : cases) {
        testing::ScratchFolder out;
        std::string arguments = c.arguments;
        for (std::size_t at; (at = arguments.find("OUT")) != std::string::npos;) {
            arguments.replace(at, 3, shellQuoted(out.path()));
        }
        const std::filesystem::path book = out.path() / "r.xlsx";
        const auto run = runProgram("cd " + shellQuoted(kGolden / "../..") + " && " + SORMEL_CHECKER_PATH +
                                        " --batch " + arguments + " --output /dev/null --report " + shellQuoted(book),
                                    out);
        ASSERT_EQ(run.status, 0) << c.name << ": " << run.err;
        const std::string made = partsOf(book, out);
        EXPECT_EQ(firstDifference(made, readFile(kGolden / "workbooks" / (std::string(c.name) + ".parts"))), "")
            << c.name;
    }
}

}  // namespace
}  // namespace sormel
