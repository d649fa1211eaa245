// The analysis window's 平均デッキ page: the average deck of all decks or
// of one deck type, main and side, and saving it as a deck file.
#pragma once

#include <QWidget>
#include <memory>

#include "analysis/report_data.h"

class QComboBox;
class QPushButton;
class QTableWidget;

namespace sormel {

class UserPrompts;

class AverageDeckPage : public QWidget {
    Q_OBJECT
public:
    AverageDeckPage(UserPrompts& prompts, QWidget* parent = nullptr);

    // Shows the average decks of `report`.
    void setData(std::shared_ptr<const ReportData> report);
    // The deck on show: of all decks (choice 0) or of a type.
    const AverageDeckFigures* shownDeck() const;

    void saveDeck();

private:
    void showDeck();

    UserPrompts& prompts_;
    std::shared_ptr<const ReportData> data_;
    QComboBox* choice_;
    QTableWidget* lines_;
    QPushButton* save_;
};

}  // namespace sormel
