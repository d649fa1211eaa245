#include "analysis/deck_types.h"

#include <algorithm>
#include <stdexcept>

namespace sormel {

UsageTable& DeckTypeTally::tableOrNew(bool separateKeys) {
    if (!table) {
        table = std::make_unique<UsageTable>();
        table->setSeparateKeys(separateKeys);
        table->reset();
    }
    return *table;
}

void DeckTypeTally::release() {
    analysis.reset();
    average.reset();
    table.reset();
    report.reset();
}

DeckTypeSplitter::DeckTypeSplitter(FileTypes typeOfFile, const std::vector<std::string>& typeNames,
                                   bool mergeByName)
    : typeOfFile_(std::move(typeOfFile)), mergeByName_(mergeByName), lastFile_(typeNames.size(), 0) {
    for (const std::string& name : typeNames) {
        auto type = std::make_unique<DeckTypeTally>();
        type->name = name;
        types_.push_back(std::move(type));
    }
    typeOfFile_.forEachRun([&](std::uint32_t type, std::size_t, std::size_t end) { lastFile_.at(type) = end - 1; });
}

void DeckTypeSplitter::finishEachType(SortChoice choice, std::function<void(DeckTypeTally&)> finished) {
    choice_ = choice;
    finished_ = std::move(finished);
}

void DeckTypeSplitter::finishType(DeckTypeTally& type, SortChoice choice) {
    type.finished = true;
    if (!type.failure.empty()) return;
    try {
        if (type.decks > 0) type.tableOrNew(mergeByName_).computeAllMetrics(type.decks, choice);
    } catch (...) {
        type.finishError = std::current_exception();
        return;
    }
    if (finished_) finished_(type);
}

void DeckTypeSplitter::deckStarted(std::size_t index) {
    if (index >= typeOfFile_.size()) throw std::out_of_range("DeckTypeSplitter: a deck past the listing");
    const std::uint32_t type = typeOfFile_[index];
    // The previous deck's type is complete once a deck after its last file
    // starts: with types read one after the other, that is at once.
    if (finished_ && current_ != nullptr && type != currentType_ && lastFile_[currentType_] < index &&
        !current_->finished) {
        finishType(*current_, choice_);
    }
    if (current_ == nullptr || type != currentType_) {
        for (const std::size_t row : mappedRows_) rowInType_[row] = 0;
        mappedRows_.clear();
    }
    currentType_ = type;
    current_ = types_.at(type).get();
    current_->tableOrNew(mergeByName_);
    ++current_->decks;
    if (current_->analysis) current_->analysis->deckStarted(index);
    if (current_->average) current_->average->deckStarted(index);
}

void DeckTypeSplitter::entryCounted(const CountedEntry& counted) {
    DeckTypeTally& type = *current_;
    if (!type.failure.empty()) return;
    UsageTable& table = *type.table;
    const std::size_t handle = rowInType(counted, table);
    try {
        table.recordCardLine(handle, counted.entry.copies, static_cast<std::size_t>(type.decks), counted.line);
    } catch (const CardError& error) {
        // The run goes on for the overall table; the type's figures fail
        // when they are asked for.
        type.failure = error.what();
        return;
    }
    const CountedEntry inType{handle, counted.key, counted.entry, counted.encoding, counted.line, counted.cardNumber};
    if (type.analysis) type.analysis->entryCounted(inType);
    if (type.average) type.average->entryCounted(inType);
}

std::size_t DeckTypeSplitter::rowInType(const CountedEntry& counted, UsageTable& table) {
    if (counted.row >= rowInType_.size()) rowInType_.resize(std::max(counted.row + 1, rowInType_.size() * 2), 0);
    std::uint32_t& mapped = rowInType_[counted.row];
    if (mapped != 0) return mapped - 1;
    std::optional<std::size_t> handle = table.findCard(counted.key);
    if (!handle) {
        handle = mergeByName_ ? table.addCard(std::string(counted.cardNumber), counted.cardName(), std::string(counted.key))
                              : table.addCard(std::string(counted.cardNumber), counted.cardName());
    }
    mapped = static_cast<std::uint32_t>(*handle + 1);
    mappedRows_.push_back(counted.row);
    return *handle;
}

void DeckTypeSplitter::deckFinished(std::size_t index) {
    if (current_->analysis) current_->analysis->deckFinished(index);
    if (current_->average) current_->average->deckFinished(index);
}

void DeckTypeSplitter::finish(SortChoice choice) {
    if (finished_) {
        for (const auto& type : types_) {
            if (!type->finished) finishType(*type, choice);
        }
    }
    for (const auto& type : types_) {
        if (!type->failure.empty()) throw std::runtime_error(type->failure);
        if (type->finishError) std::rethrow_exception(type->finishError);
        if (!finished_ && type->decks > 0) type->table->computeAllMetrics(type->decks, choice);
    }
}

void DeckTypeSplitter::dropEmptyTypes() {
    std::erase_if(types_, [](const std::unique_ptr<DeckTypeTally>& type) { return type->decks == 0; });
    current_ = nullptr;
}

}  // namespace sormel
