#include "app/batch_outputs.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <set>
#include <unordered_map>

#include "engine/file_error.h"
#include "engine/path_bytes.h"
#include "engine/system_file.h"
#include "export/average_deck_file.h"
#include "export/side_by_side.h"

namespace sormel {
namespace {

constexpr std::string_view kOverallDeckFile = "全体.txt";
constexpr std::string_view kTypeDeckFolder = "デッキタイプ";

// Tells whether an output would replace one of the decks: the same name
// once links are followed, or the same file under the same name in another
// folder (a link to the folder, another mount of it) or under another name
// (a hard link). Decks are looked at only when they could be it: those of
// an output's name, and all of them only for a file with several names.
class DeckGuard {
public:
    // For the outputs `outputs` (each asked about later).
    DeckGuard(const DeckFiles& decks, const DeckFiles& moreDecks, const std::vector<std::filesystem::path>& outputs)
        : deckLists_{&decks, &moreDecks} {
        for (const std::filesystem::path& output : outputs) outputNames_.insert(resolvedName(output));
    }

    bool isOneOfTheDecks(const std::filesystem::path& output) {
        std::error_code ignored;
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(output, ignored);
        const std::string name = pathBytes(resolved.filename());
        if (outputNames_.insert(name).second) {
            // An output not named at the start: the decks are looked at again.
            looked_[0] = looked_[1] = false;
            decksByName_[0].clear();
            decksByName_[1].clear();
        }
        const std::optional<FileIdentity> target = fileIdentity(output);
        for (std::size_t list = 0; list < 2; ++list) {
            const DeckFiles& decks = *deckLists_[list];
            std::vector<std::optional<std::filesystem::path>>& canonical = canonicalFolders_[list];
            canonical.resize(decks.folderCount());
            // The decks named as an output is, found once: a thousand
            // outputs need not look at every deck each, nor a million
            // decks be held by name.
            auto& byName = decksByName_[list];
            if (!looked_[list]) {
                looked_[list] = true;
                for (std::size_t deck = 0; deck < decks.size(); ++deck) {
                    if (deck % DeckFiles::kLetGoEvery == 0) decks.letGoBefore(deck);
                    const std::string_view deckName = decks.name(deck);
                    if (outputNames_.count(deckName) != 0) byName.emplace(deckName, deck);
                }
            }
            const auto [first, last] = byName.equal_range(name);
            for (auto found = first; found != last; ++found) {
                const std::size_t deck = found->second;
                std::optional<std::filesystem::path>& folder = canonical[decks.folderIndex(deck)];
                if (!folder) folder = std::filesystem::weakly_canonical(decks.folderOf(deck), ignored);
                if (*folder == resolved.parent_path()) return true;
                if (target && fileIdentity(decks.path(deck)) == target) return true;
            }
        }
        if (!target || fileLinkCount(output).value_or(1) <= 1) return false;
        if (identities_.empty()) {
            for (const DeckFiles* decks : deckLists_) {
                for (std::size_t deck = 0; deck < decks->size(); ++deck) {
                    if (const std::optional<FileIdentity> identity = fileIdentity(decks->path(deck))) {
                        identities_.push_back(*identity);
                    }
                }
            }
        }
        return std::find(identities_.begin(), identities_.end(), *target) != identities_.end();
    }

private:
    static std::string resolvedName(const std::filesystem::path& output) {
        std::error_code ignored;
        return pathBytes(std::filesystem::weakly_canonical(output, ignored).filename());
    }

    const DeckFiles* deckLists_[2];
    std::set<std::string, std::less<>> outputNames_;
    bool looked_[2] = {false, false};
    // The folders of each list once links are followed, made when needed.
    std::vector<std::optional<std::filesystem::path>> canonicalFolders_[2];
    std::multimap<std::string, std::size_t, std::less<>> decksByName_[2];
    std::vector<FileIdentity> identities_;
};

std::string deckOutputMessage(const std::filesystem::path& target) {
    return "出力先のファイルは集計するデッキファイルの一つです。デッキを上書きしないよう、別のファイルを指定してください。"
           "\nファイル: " +
           displayPath(target);
}

}  // namespace

std::vector<std::filesystem::path> BatchOutputs::outputTargets(const std::vector<std::string>& typeNames) const {
    std::vector<std::filesystem::path> targets(options_.reports);
    if (options_.output) targets.push_back(*options_.output);
    if (options_.suggestTypes) targets.push_back(*options_.suggestTypes);
    if (options_.averageDeck && !options_.request.typed()) targets.push_back(*options_.averageDeck);
    if (options_.averageDeck && options_.request.typed()) {
        targets.push_back(*options_.averageDeck / pathFromBytes(std::string(kOverallDeckFile)));
        for (const std::string& type : typeNames) {
            targets.push_back(*options_.averageDeck / pathFromBytes(std::string(kTypeDeckFolder)) /
                              pathFromBytes(type + ".txt"));
        }
    }
    return targets;
}

std::optional<BatchOutputs::Refusal> BatchOutputs::refuseDecks(const DeckFiles& decks,
                                                               const std::vector<std::string>& typeNames) const {
    const DeckFiles none;
    const std::vector<std::filesystem::path> targets = outputTargets(typeNames);
    DeckGuard guard(decks, none, targets);
    for (const std::filesystem::path& target : targets) {
        if (guard.isOneOfTheDecks(target)) return Refusal{deckOutputMessage(target)};
    }
    return std::nullopt;
}

std::optional<BatchOutputs::Refusal> BatchOutputs::reserve(const DeckFiles& decks, const DeckFiles& baselineDecks,
                                                           const std::vector<std::string>& typeNames) {
    if (options_.averageDeck && options_.request.typed()) {
        std::error_code error;
        const std::filesystem::path& folder = *options_.averageDeck;
        if (!std::filesystem::is_directory(folder, error)) {
            return Refusal{std::string("--average-deck には ") + (options_.request.byFolder ? "--by-folder" : "--types") +
                           " のとき既存のフォルダーを指定してください。\nフォルダー: " + displayPath(folder)};
        }
    }
    DeckGuard guard(decks, baselineDecks, outputTargets(typeNames));
    try {
        const auto take = [&](const std::filesystem::path& target) -> std::optional<Refusal> {
            if (guard.isOneOfTheDecks(target)) {
                return Refusal{deckOutputMessage(target)};
            }
            return std::nullopt;
        };
        std::optional<Refusal> refusal;
        if (options_.output) {
            if ((refusal = take(*options_.output))) return refusal;
            csv_ = set_.reserve(*options_.output);
        }
        for (const std::filesystem::path& report : options_.reports) {
            if ((refusal = take(report))) return refusal;
            reports_.push_back(set_.reserve(report));
        }
        if (options_.suggestTypes) {
            if ((refusal = take(*options_.suggestTypes))) return refusal;
            suggestedTypes_ = set_.reserve(*options_.suggestTypes);
        }
        if (options_.averageDeck && !options_.request.typed()) {
            if ((refusal = take(*options_.averageDeck))) return refusal;
            averageDeck_ = set_.reserve(*options_.averageDeck);
        } else if (options_.averageDeck) {
            const std::filesystem::path overall = *options_.averageDeck / pathFromBytes(std::string(kOverallDeckFile));
            if ((refusal = take(overall))) return refusal;
            averageDeck_ = set_.reserve(overall);
            for (const std::string& type : typeNames) {
                const std::filesystem::path file =
                    *options_.averageDeck / pathFromBytes(std::string(kTypeDeckFolder)) / pathFromBytes(type + ".txt");
                if ((refusal = take(file))) return refusal;
                // The folder is made only when the files are put in place.
                typeAverageDecks_.emplace_back(type, set_.reserve(file, SaveSet::MissingFolder::Make));
            }
        }
    } catch (const SaveError& error) {
        return Refusal{error.what(), !error.pipeWithoutReader()};
    } catch (const std::exception& error) {
        return Refusal{error.what()};
    }
    return std::nullopt;
}

void BatchOutputs::fillCsv(const std::string& csv) { set_.fill(csv_, csv); }

void BatchOutputs::fillSuggestedTypes(const std::string& rules) { set_.fill(suggestedTypes_, rules); }

void BatchOutputs::fillReports(const ReportData& data) {
    // A workbook takes longer than the other reports together: it is
    // written beside them.
    std::vector<OutputJob> jobs;
    for (std::size_t i = 0; i < reports_.size(); ++i) {
        const ReportKind kind = *reportKindOf(options_.reports[i]);
        const auto write = [this, i, kind, &data] {
            set_.fill(reports_[i], [&](ByteSink& sink) { writeReport(kind, data, sink); });
        };
        jobs.push_back({write, kind == ReportKind::Xlsx});
    }
    runSideBySide(jobs);
}

void BatchOutputs::fillAverageDecks(const AverageDeckFigures& all,
                                    const std::vector<std::pair<std::string, AverageDeckFigures>>& types) {
    const auto fill = [&](std::size_t index, const AverageDeckFigures& deck, const std::filesystem::path& file) {
        AverageDeckText written = formatAverageDeck(deck, options_.encoding);
        if (written.encoding != options_.encoding) std::cerr << utf8FallbackWarning(file) << '\n';
        for (const std::string& card : written.leftOut) std::cerr << leftOutCardWarning(file, card) << '\n';
        set_.fill(index, written.text);
    };
    const std::filesystem::path& target = *options_.averageDeck;
    fill(averageDeck_, all, options_.request.typed() ? target / pathFromBytes(std::string(kOverallDeckFile)) : target);
    // By name, for thousands of types.
    std::unordered_multimap<std::string_view, const AverageDeckFigures*> byName;
    for (const auto& [typeName, deck] : types) byName.emplace(typeName, &deck);
    for (const auto& [name, index] : typeAverageDecks_) {
        const auto [first, last] = byName.equal_range(name);
        for (auto found = first; found != last; ++found) {
            fill(index, *found->second, target / pathFromBytes(std::string(kTypeDeckFolder)) / pathFromBytes(name + ".txt"));
        }
        // A type named by rules that no deck turned out to be of.
        if (first == last) set_.drop(index);
    }
}

}  // namespace sormel
