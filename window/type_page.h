// The analysis window's デッキタイプ page: the deck types with their decks
// and share, the per-card table of the type selected, every deck with the
// type it got and how, and the button that drafts type rules.
#pragma once

#include <QWidget>
#include <filesystem>
#include <memory>

#include "analysis/report_data.h"

class QTableWidget;

namespace sormel {

class CardFiguresModel;
class CardTableView;

class TypePage : public QWidget {
    Q_OBJECT
public:
    explicit TypePage(QWidget* parent = nullptr);

    // Shows the types and decks of `report`, whose decks were read from
    // `folder`; null shows none.
    void setData(std::shared_ptr<const ReportData> report, const std::filesystem::path& folder = {});

signals:
    // The user asked to open this deck file.
    void deckOpenRequested(const QString& file);
    // The user asked for draft type rules of the folder.
    void suggestionRequested();

private:
    void showSelectedType();
    void showDecks();
    void openDeck(int row);

    std::shared_ptr<const ReportData> data_;
    std::filesystem::path folder_;
    QTableWidget* types_;
    CardFiguresModel* cards_;
    CardTableView* table_;
    QTableWidget* decks_;
};

}  // namespace sormel
