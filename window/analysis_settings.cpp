#include "window/analysis_settings.h"

#include <algorithm>

#include <QFile>

#include "analysis/card_analysis.h"
#include "analysis/result_figures.h"
#include "window/app_settings.h"

namespace sormel {

AnalysisSettings AnalysisSettings::load() {
    AppSettings stored;
    stored.beginGroup(QStringLiteral("analysis"));
    AnalysisSettings settings;
    // A hand-edited file may hold anything; the run refuses a limit outside 1..99.
    settings.copyLimit = std::clamp(stored.value(QStringLiteral("copyLimit"), 3).toInt(), 1, kMaxCopyLimit);
    const QString source = stored.value(QStringLiteral("typeSource")).toString();
    if (source == QStringLiteral("rules")) {
        settings.typeSource = TypeSource::Rules;
    } else if (source == QStringLiteral("folders") ||
               (source.isEmpty() && stored.value(QStringLiteral("byFolder"), false).toBool())) {
        settings.typeSource = TypeSource::Folders;
    }
    settings.rulesFile = stored.value(QStringLiteral("rulesFile")).toString();
    // Rules without a file to read them from type nothing.
    if (settings.typeSource == TypeSource::Rules && settings.rulesFile.isEmpty()) settings.typeSource = TypeSource::None;
    settings.mergeByName = stored.value(QStringLiteral("mergeByName"), false).toBool();
    settings.baseline = stored.value(QStringLiteral("baseline")).toString();
    settings.periods = stored.value(QStringLiteral("periods")).toString();
    settings.results = stored.value(QStringLiteral("results")).toString();
    settings.top = std::clamp(stored.value(QStringLiteral("top"), 8).toInt(), 1, kMaxTop);
    return settings;
}

void AnalysisSettings::save() const {
    AppSettings stored;
    stored.beginGroup(QStringLiteral("analysis"));
    stored.setValue(QStringLiteral("copyLimit"), copyLimit);
    const char* const sources[] = {"none", "folders", "rules"};
    stored.setValue(QStringLiteral("typeSource"), QString::fromLatin1(sources[static_cast<int>(typeSource)]));
    stored.remove(QStringLiteral("byFolder"));
    stored.setValue(QStringLiteral("rulesFile"), rulesFile);
    stored.setValue(QStringLiteral("mergeByName"), mergeByName);
    stored.setValue(QStringLiteral("baseline"), baseline);
    stored.setValue(QStringLiteral("periods"), periods);
    stored.setValue(QStringLiteral("results"), results);
    stored.setValue(QStringLiteral("top"), top);
}

void AnalysisSettings::applyTo(AnalysisRequest& request) const {
    request.copyLimit = copyLimit;
    request.byFolder = typeSource == TypeSource::Folders;
    request.typeRules.reset();
    if (typeSource == TypeSource::Rules) {
        request.typeRules = std::filesystem::path(QFile::encodeName(rulesFile).toStdString());
    }
    request.mergeByName = mergeByName;
    request.baseline.reset();
    if (!baseline.isEmpty()) request.baseline = std::filesystem::path(QFile::encodeName(baseline).toStdString());
    request.results.reset();
    if (!results.isEmpty()) request.results = std::filesystem::path(QFile::encodeName(results).toStdString());
    request.top = top;
    // A folder of periods is read in place of the main window's folder; it
    // compares its periods with one another, not with a baseline, and
    // takes no results.
    request.periods = !periods.isEmpty();
    if (request.periods) {
        request.folder = std::filesystem::path(QFile::encodeName(periods).toStdString());
        request.baseline.reset();
        request.results.reset();  // results belong to one folder's decks
    }
}

}  // namespace sormel
