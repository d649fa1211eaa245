#include "app/command_line.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "analysis/result_figures.h"
#include "engine/path_bytes.h"
#include "engine/product.h"
#include "engine/text_decoding.h"
#include "engine/visible_text.h"
#include "export/report_writer.h"

namespace sormel {
namespace {


// What the options found so far say; turned into a CommandLine at the end.
struct Request {
    CommandLine line;
    bool help = false;
    bool version = false;
    bool batch = false;
};

// One option: "--name VALUE" or "--name=VALUE" when it takes a value, just
// "--name" when it does not. An option may be given once unless it is
// repeatable; a batch option needs --batch.
struct Option {
    std::string_view name;
    char shortName;            // 0 for none
    std::string_view value;    // what the help calls the value; empty for a switch
    std::string_view help;     // empty: works, but the help does not list it
    bool repeatable;
    bool batchOnly;
    void (*apply)(Request&, std::string_view value);
};

std::string shown(std::string_view argument) { return visibleText(toValidUtf8(argument)); }

// `what` names the argument in the message: "--batch", "FOLDER".
std::filesystem::path pathValue(std::string_view what, std::string_view value) {
    if (value.empty()) throw UsageError(std::string(what) + " に空のパスは指定できません。");
    return pathFromBytes(std::string(value));
}

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// A whole number from `least` to `most` written in plain digits, else a
// usage error saying so for option `display`.
int wholeNumberValue(std::string_view display, std::string_view value, int least, int most) {
    int number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < least || number > most) {
        throw UsageError(std::string(display) + " には " + std::to_string(least) + " から " + std::to_string(most) +
                         " までの整数を指定してください: " + shown(value));
    }
    return number;
}

const Option kOptions[] = {
    {"help", 'h', "", "このヘルプを表示します。", true, false, [](Request& r, std::string_view) { r.help = true; }},
    {"help-all", 0, "", "", true, false, [](Request& r, std::string_view) { r.help = true; }},
    {"version", 'v', "", "バージョンを表示します。", true, false, [](Request& r, std::string_view) { r.version = true; }},
    {"batch", 0, "DIR", "ウィンドウを開かずに DIR を集計し、CSV を出力します。", false, false,
     [](Request& r, std::string_view v) {
         r.batch = true;
         r.line.batch.request.folder = pathValue("--batch", v);
     }},
    {"mask", 0, "MASK", "集計するファイルのマスク（既定: *.txt。; で区切って複数指定可）。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.request.mask = std::string(v); }},
    {"no-side", 0, "", "サイドデッキを集計に含めません。", false, true,
     [](Request& r, std::string_view) { r.line.batch.request.includeSidePart = false; }},
    {"sort", 0, "decks|copies", "並べ替え: decks（デッキ数、既定）または copies（枚数）。", false, true,
     [](Request& r, std::string_view v) {
         if (v != "decks" && v != "copies") {
             throw UsageError("--sort には decks か copies を指定してください: " + shown(v));
         }
         r.line.batch.request.sortChoice = v == "copies" ? SortChoice::ByCopies : SortChoice::ByDecks;
     }},
    {"output", 0, "FILE", "CSV を FILE に保存します（既定: 標準出力）。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.output = pathValue("--output", v); }},
    {"encoding", 0, "cp932|utf-8|utf-8-bom",
     "CSV（と平均デッキ）の文字コード: cp932（既定）、utf-8、utf-8-bom（BOM 付き UTF-8）。", false, true,
     [](Request& r, std::string_view v) {
         const std::string encoding = lowerAscii(v);
         if (encoding == "utf-8" || encoding == "utf8") {
             r.line.batch.encoding = CsvEncoding::Utf8;
         } else if (encoding == "utf-8-bom" || encoding == "utf8-bom") {
             r.line.batch.encoding = CsvEncoding::Utf8Bom;
         } else if (encoding == "cp932") {
             r.line.batch.encoding = CsvEncoding::Cp932;
         } else {
             throw UsageError("--encoding には cp932、utf-8、utf-8-bom のいずれかを指定してください: " + shown(v));
         }
     }},
    {"format", 0, "auto|native|list|dek|ydk|cod|o8d|ydke|csv",
     "デッキファイルの形式（既定: auto。ファイルごとに判定）。", false, true,
     [](Request& r, std::string_view v) {
         const std::optional<DeckFormat> format = deckFormatNamed(lowerAscii(v));
         if (!format) throw UsageError("--format には auto, native, list, dek, ydk, cod, o8d, ydke, csv のいずれかを指定してください: " + shown(v));
         r.line.batch.request.format = *format;
     }},
    {"merge-by-name", 0, "", "カード番号ではなくカード名で集計します（再録・別版を 1 行にまとめます）。", false, true,
     [](Request& r, std::string_view) { r.line.batch.request.mergeByName = true; }},
    {"report", 0, "FILE",
     "カードごとの分析（平均採用枚数、メイン・サイド、枚数の内訳など）を FILE に保存します。拡張子で形式を選びます: "
     ".csv（UTF-8、BOM 付き）、.json、.xlsx、.html（Web ページ）。複数指定できます。",
     true, true,
     [](Request& r, std::string_view v) {
         std::filesystem::path file = pathValue("--report", v);
         if (!reportKindOf(file)) {
             throw UsageError("--report のファイル名の拡張子は .csv、.json、.xlsx、.html のいずれかにしてください: " + shown(v));
         }
         r.line.batch.reports.push_back(std::move(file));
     }},
    {"copy-limit", 0, "L", "分析の上限枚数（1〜99、既定: 3）。使用率と枚数の内訳に使います。", false, true,
     [](Request& r, std::string_view v) {
         int limit = 0;
         const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), limit);
         if (error != std::errc() || end != v.data() + v.size() || limit < 1 || limit > 99) {
             throw UsageError("--copy-limit には 1 から 99 までの整数を指定してください: " + shown(v));
         }
         r.line.batch.request.copyLimit = limit;
     }},
    {"by-folder", 0, "", "DIR の直下のサブフォルダーも読み、サブフォルダー名をデッキタイプとして分析します。", false, true,
     [](Request& r, std::string_view) { r.line.batch.request.byFolder = true; }},
    {"types", 0, "RULES.toml",
     "デッキタイプを RULES.toml のルールでデッキの内容から判定します（--by-folder とは併用できません）。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.request.typeRules = pathValue("--types", v); }},
    {"suggest-types", 0, "FILE.toml",
     "読んだデッキからデッキタイプのルールの案を作り、--types で読める FILE.toml に保存します。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.suggestTypes = pathValue("--suggest-types", v); }},
    {"suggest-count", 0, "K", "--suggest-types で作るタイプの数（2〜50、既定: 自動）。", false, true,
     [](Request& r, std::string_view v) {
         int count = 0;
         const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), count);
         if (error != std::errc() || end != v.data() + v.size() || count < 2 || count > 50) {
             throw UsageError("--suggest-count には 2 から 50 までの整数を指定してください: " + shown(v));
         }
         r.line.batch.request.suggestCount = count;
     }},
    {"compare", 0, "BASE_DIR", "BASE_DIR を同じ条件で集計し、前の期間として比較します。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.request.baseline = pathValue("--compare", v); }},
    {"periods", 0, "",
     "DIR の直下のサブフォルダーを名前順に期間として集計し、カードとデッキタイプの推移をレポートに加えます。CSV と"
     "レポートの通常の列は最後の期間のものです。",
     false, true, [](Request& r, std::string_view) { r.line.batch.request.periods = true; }},
    {"average-deck", 0, "FILE",
     "平均化デッキをデッキファイルとして FILE に保存します（--by-folder では FILE は既存のフォルダー）。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.averageDeck = pathValue("--average-deck", v); }},
    {"results", 0, "FILE",
     "各デッキの成績（順位、勝敗）を CSV の FILE から読み、カードとデッキタイプの勝率と上位進出をレポートに加えます。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.request.results = pathValue("--results", v); }},
    {"place-from-name", 0, "REGEX",
     "デッキのファイル名から順位を読みます（正規表現の最初のグループが順位。--results の順位が優先）。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.request.placeFromName = std::string(v); }},
    {"top", 0, "T", "順位 T 以内を上位とします（1〜1000、既定: 8）。", false, true,
     [](Request& r, std::string_view v) { r.line.batch.request.top = wholeNumberValue("--top", v, 1, kMaxTop); }},
    {"min-decks", 0, "M", "成績のあるデッキが M 未満のカードとタイプを少数サンプルとします（1〜1000000、既定: 10）。", false, true,
     [](Request& r, std::string_view v) {
         r.line.batch.request.minDecks = wholeNumberValue("--min-decks", v, 1, 1000000);
     }},
    {"show-skipped", 0, "", "カードとして読まなかった行を標準エラー出力に表示します。", false, true,
     [](Request& r, std::string_view) { r.line.batch.showSkipped = true; }},
    {"strict", 0, "", "読み込みに警告があれば失敗とし、何も書き出しません。", false, true,
     [](Request& r, std::string_view) { r.line.batch.strict = true; }},
};

constexpr std::string_view kFolderHelp =
    "ウィンドウを開くフォルダー（既定: カレントフォルダー）。--batch とは併用できません。";

const Option* findOption(std::string_view argument) {
    for (const Option& option : kOptions) {
        if (argument.size() == 2 && option.shortName != 0 && argument[1] == option.shortName) return &option;
        if (argument.substr(0, 2) == "--" && argument.substr(2) == option.name) return &option;
    }
    return nullptr;
}

std::string joined(const std::vector<std::string_view>& arguments) {
    std::string text;
    for (const std::string_view argument : arguments) text += (text.empty() ? "" : " ") + shown(argument);
    return text;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    Request request;
    std::vector<const Option*> given;
    std::vector<std::string_view> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.substr(0, 2) == "--" ? argument.find('=') : std::string_view::npos;
        const std::string_view name = argument.substr(0, equals);
        const Option* option = findOption(name);
        if (!option) throw UsageError("不明なオプションです: " + shown(name));
        const std::string display = "--" + std::string(option->name);
        if (!option->repeatable && std::find(given.begin(), given.end(), option) != given.end()) {
            throw UsageError("オプション " + display + " が 2 回以上指定されています。1 回だけ指定してください。");
        }
        given.push_back(option);
        std::string_view value;
        if (option->value.empty()) {
            if (equals != std::string_view::npos) throw UsageError(display + " には値を付けられません。");
        } else if (equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            throw UsageError(display + " の後に " + std::string(option->value) + " を指定してください。");
        }
        option->apply(request, value);
    }

    CommandLine& line = request.line;
    if (request.help || request.version) {
        line.action = request.help ? CommandLine::Action::ShowHelp : CommandLine::Action::ShowVersion;
        return line;
    }
    if (request.batch) {
        if (!positional.empty()) throw UsageError("余分な引数があります: " + joined(positional));
        if (line.batch.request.suggestCount && !line.batch.suggestTypes) {
            throw UsageError("--suggest-count は --suggest-types と一緒に指定してください。");
        }
        for (const std::string_view name : {"top", "min-decks"}) {
            const bool named = std::any_of(given.begin(), given.end(), [name](const Option* o) { return o->name == name; });
            if (named && !line.batch.request.withResults()) {
                throw UsageError("--" + std::string(name) + " は --results か --place-from-name と一緒に指定してください。");
            }
        }
        if (line.batch.request.byFolder && line.batch.request.typeRules) {
            throw UsageError("--types と --by-folder は併用できません。デッキタイプの出どころはどちらか一つにしてください。");
        }
        if (line.batch.request.periods && line.batch.request.baseline) {
            throw UsageError("--periods と --compare は併用できません。");
        }
        if (line.batch.request.periods && line.batch.suggestTypes) {
            throw UsageError("--periods と --suggest-types は併用できません。");
        }
        if (line.batch.request.periods && line.batch.request.withResults()) {
            throw UsageError("--periods と --results、--place-from-name は併用できません。");
        }
        line.action = CommandLine::Action::RunBatch;
        return line;
    }
    for (const Option* option : given) {
        if (option->batchOnly) {
            throw UsageError("--" + std::string(option->name) + " は --batch DIR と一緒に指定してください。");
        }
    }
    if (positional.size() > 1) {
        throw UsageError("余分な引数があります: " + joined({positional.begin() + 1, positional.end()}));
    }
    if (!positional.empty()) line.windowFolder = pathValue("FOLDER", positional.front());
    line.action = CommandLine::Action::OpenWindow;
    return line;
}

namespace {

// "--batch DIR" and every batch option, wrapped under the first.
std::string batchSynopsis() {
    std::string text = "        " + std::string(kProgramName) + " --batch DIR";
    const std::string indent(text.size() - std::string_view(" --batch DIR").size() + 1, ' ');
    std::size_t width = text.size();
    for (const Option& option : kOptions) {
        if (!option.batchOnly || option.help.empty()) continue;
        std::string item = "[--" + std::string(option.name);
        if (!option.value.empty()) item += " " + std::string(option.value);
        item += option.repeatable ? "]..." : "]";
        if (width + 1 + item.size() > 80) {
            text += "\n" + indent;
            width = indent.size();
        } else {
            text += ' ';
            ++width;
        }
        text += item;
        width += item.size();
    }
    return text + "\n";
}

}  // namespace

std::vector<std::string_view> optionNames() {
    std::vector<std::string_view> names;
    for (const Option& option : kOptions) names.push_back(option.name);
    return names;
}

std::string helpText() {
    std::string text = "使い方: " + std::string(kProgramName) + " [FOLDER]\n" + batchSynopsis() +
                       std::string(kProductTitle) + " — フォルダー内のデッキファイルを集計し、"
                       "カードの採用率と使用率を求めます。\n\nオプション:\n";
    auto line = [&text](std::string left, std::string_view help) {
        left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
        text += "  " + left + std::string(help) + '\n';
    };
    for (const Option& option : kOptions) {
        if (option.help.empty()) continue;
        std::string left = option.shortName ? std::string{'-', option.shortName, ',', ' '} : "";
        left += "--" + std::string(option.name);
        if (!option.value.empty()) left += " " + std::string(option.value);
        line(left, option.help);
    }
    text += "\n引数:\n";
    line("FOLDER", kFolderHelp);
    text += "\n同じオプションを 2 回以上指定することはできません。\n";
    return text;
}

std::string versionText() { return std::string(kProgramName) + " " + std::string(kProgramVersion) + "\n"; }

}  // namespace sormel
