// The analysis window's settings, kept between sessions. They shape only
// that window and what it saves, never the main window's table.
#pragma once

#include <QString>

#include "analysis/analysis_request.h"

namespace sormel {

// Where the decks' types come from.
enum class TypeSource { None, Folders, Rules };

struct AnalysisSettings {
    int copyLimit = 3;
    TypeSource typeSource = TypeSource::None;
    QString rulesFile;         // the last rules file chosen, kept when another source is picked
    bool mergeByName = false;  // printings of a card are one row
    QString baseline;          // folder to compare with; empty for none
    QString periods;           // folder whose sub-folders are periods, read instead; empty for none
    QString results;           // the decks' results file; empty for none
    int top = 8;               // places 1 to top make the top cut

    static AnalysisSettings load();
    void save() const;
    // The request with these settings in place of its own.
    void applyTo(AnalysisRequest& request) const;
};

}  // namespace sormel
