#include "analysis/deck_types.h"

#include <algorithm>
#include <stdexcept>

namespace sormel {

void DeckTypeTally::release() {
    analysis.reset();
    average.reset();
    table = UsageTable();
}

DeckTypeSplitter::DeckTypeSplitter(std::vector<std::uint32_t> typeOfFile, const std::vector<std::string>& typeNames,
                                   bool mergeByName)
    : typeOfFile_(std::move(typeOfFile)), mergeByName_(mergeByName) {
    for (const std::string& name : typeNames) {
        auto type = std::make_unique<DeckTypeTally>();
        type->name = name;
        type->table.setSeparateKeys(mergeByName);
        type->table.reset();
        types_.push_back(std::move(type));
    }
}

void DeckTypeSplitter::deckStarted(std::size_t index) {
    current_ = types_.at(typeOfFile_.at(index)).get();
    ++current_->decks;
    if (current_->analysis) current_->analysis->deckStarted(index);
    if (current_->average) current_->average->deckStarted(index);
}

void DeckTypeSplitter::entryCounted(const CountedEntry& counted) {
    DeckTypeTally& type = *current_;
    if (!type.failure.empty()) return;
    UsageTable& table = type.table;
    std::optional<std::size_t> handle = table.findCard(counted.key);
    if (!handle) {
        handle = mergeByName_ ? table.addCard(std::string(counted.cardNumber), counted.cardName(), std::string(counted.key))
                              : table.addCard(std::string(counted.cardNumber), counted.cardName());
    }
    try {
        table.recordCardLine(*handle, counted.entry.copies, static_cast<std::size_t>(type.decks), counted.line);
    } catch (const CardError& error) {
        // The run goes on for the overall table; the type's figures fail
        // when they are asked for.
        type.failure = error.what();
        return;
    }
    const CountedEntry inType{*handle, counted.key, counted.entry, counted.encoding, counted.line, counted.cardNumber};
    if (type.analysis) type.analysis->entryCounted(inType);
    if (type.average) type.average->entryCounted(inType);
}

void DeckTypeSplitter::deckFinished(std::size_t index) {
    if (current_->analysis) current_->analysis->deckFinished(index);
    if (current_->average) current_->average->deckFinished(index);
}

void DeckTypeSplitter::finish(SortChoice choice) {
    for (const auto& type : types_) {
        if (!type->failure.empty()) throw std::runtime_error(type->failure);
        if (type->decks > 0) type->table.computeAllMetrics(type->decks, choice);
    }
}

void DeckTypeSplitter::dropEmptyTypes() {
    std::erase_if(types_, [](const std::unique_ptr<DeckTypeTally>& type) { return type->decks == 0; });
    current_ = nullptr;
}

}  // namespace sormel
