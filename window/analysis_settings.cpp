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
    settings.byFolder = stored.value(QStringLiteral("byFolder"), false).toBool();
    settings.mergeByName = stored.value(QStringLiteral("mergeByName"), false).toBool();
    settings.baseline = stored.value(QStringLiteral("baseline")).toString();
    settings.results = stored.value(QStringLiteral("results")).toString();
    settings.top = std::clamp(stored.value(QStringLiteral("top"), 8).toInt(), 1, kMaxTop);
    return settings;
}

void AnalysisSettings::save() const {
    AppSettings stored;
    stored.beginGroup(QStringLiteral("analysis"));
    stored.setValue(QStringLiteral("copyLimit"), copyLimit);
    stored.setValue(QStringLiteral("byFolder"), byFolder);
    stored.setValue(QStringLiteral("mergeByName"), mergeByName);
    stored.setValue(QStringLiteral("baseline"), baseline);
    stored.setValue(QStringLiteral("results"), results);
    stored.setValue(QStringLiteral("top"), top);
}

void AnalysisSettings::applyTo(AnalysisRequest& request) const {
    request.copyLimit = copyLimit;
    request.byFolder = byFolder;
    request.mergeByName = mergeByName;
    request.baseline.reset();
    if (!baseline.isEmpty()) request.baseline = std::filesystem::path(QFile::encodeName(baseline).toStdString());
    request.results.reset();
    if (!results.isEmpty()) request.results = std::filesystem::path(QFile::encodeName(results).toStdString());
    request.top = top;
}

}  // namespace sormel
