#include "export/report_conditions.h"

#include "engine/deck_format.h"

namespace sormel {

std::string formatsReadText(const std::vector<std::size_t>& filesByFormat) {
    std::string text;
    for (std::size_t format = 0; format < filesByFormat.size(); ++format) {
        if (filesByFormat[format] == 0) continue;
        if (!text.empty()) text += ", ";
        text += std::string(deckFormatName(static_cast<DeckFormat>(format))) + ' ' +
                std::to_string(filesByFormat[format]);
    }
    return text;
}

std::vector<ConditionRow> reportConditions(const ReportData& data) {
    const CardReport& report = data.report;
    std::vector<ConditionRow> rows;
    const auto text = [&](const char* label, const std::string& value) { rows.push_back({label, value}); };
    const auto count = [&](const char* label, std::int64_t value) { rows.push_back({label, {}, value}); };
    count("デッキ数", report.deckCount);
    count("上限枚数", report.copyLimit);
    text("サイド含む", report.sideCounted ? "はい" : "いいえ");
    text("並び順", data.sort == SortChoice::ByCopies ? "枚数" : "デッキ数");
    text("サブフォルダーでタイプ分け", data.byFolder ? "はい" : "いいえ");
    if (data.byRules) text("タイプ定義ファイル", data.typeRulesFile);
    text("フォルダー", data.folder);
    if (data.baseline) {
        text("前回フォルダー", data.baseline->folder);
        count("前回デッキ数", data.baseline->decks);
    }
    if (!data.periods.empty()) {
        std::string names;
        for (const PeriodInfo& period : data.periods) names += (names.empty() ? "" : ", ") + period.name;
        text("期間", names);
    }
    if (data.results) {
        const ResultsSummary& results = *data.results;
        if (!results.file.empty()) text("成績ファイル", results.file);
        if (!results.placePattern.empty()) text("ファイル名の順位（正規表現）", results.placePattern);
        count("成績のあるデッキ数", results.decksWithResult);
        count("順位のあるデッキ数", results.decksWithPlace);
        count("上位とする順位（T）", results.top);
        count("少数サンプルの基準デッキ数（M）", results.minDecks);
    }
    text("集計日時", data.date);
    const std::string formats = formatsReadText(data.filesByFormat);
    if (!formats.empty()) text("読み込み形式", formats);
    return rows;
}

}  // namespace sormel
