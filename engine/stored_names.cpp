#include "engine/stored_names.h"

#include <algorithm>
#include <cstring>

namespace sormel {
namespace {

// Names are written in pieces of about this size.
constexpr std::size_t kWriteBytes = 64 * 1024;
// How much of a run is read at a time while merging.
constexpr std::size_t kReadBytes = 4 * 1024;

}  // namespace

std::unique_ptr<StoredNames> StoredNames::create() {
    std::unique_ptr<SpillFile> file = SpillFile::create();
    if (!file) return nullptr;
    return std::unique_ptr<StoredNames>(new StoredNames(std::move(file)));
}

void StoredNames::add(std::string_view name, std::uint32_t folder) {
    if (count_ % kStep == 0) starts_.push_back(static_cast<std::uint32_t>(file_->size() + pending_.size()));
    folders_.append(1, folder);
    pending_ += name;
    pending_ += '\0';
    ++count_;
    if (pending_.size() >= kWriteBytes) write();
}

void StoredNames::write() {
    file_->append(pending_);
    pending_.clear();
}

const char* StoredNames::nameText(std::size_t index) const {
    const char* name = file_->bytes() + starts_[index / kStep];
    for (std::size_t skip = index % kStep; skip > 0; --skip) name += std::strlen(name) + 1;
    return name;
}

void StoredNames::letGoBefore(std::size_t index) const {
    if (count_ == 0) return;
    file_->letGo(0, starts_[std::min(index, count_ - 1) / kStep]);
}

std::unique_ptr<SortedRuns> SortedRuns::create() {
    std::unique_ptr<SpillFile> file = SpillFile::create();
    if (!file) return nullptr;
    return std::unique_ptr<SortedRuns>(new SortedRuns(std::move(file)));
}

void SortedRuns::addRun(std::vector<std::string_view>& names) {
    std::sort(names.begin(), names.end());
    const std::uint64_t start = file_->size();
    std::string piece;
    for (const std::string_view name : names) {
        piece += name;
        piece += '\0';
        if (piece.size() >= kWriteBytes) {
            file_->append(piece);
            piece.clear();
        }
    }
    file_->append(piece);
    if (file_->size() > start) runs_.emplace_back(start, file_->size());
}

bool SortedRuns::fill(Cursor& cursor) const {
    std::size_t nul = 0;
    while ((nul = cursor.read.find('\0', cursor.at)) == std::string::npos) {
        if (cursor.next == cursor.end) return false;
        cursor.read.erase(0, cursor.at);
        cursor.at = 0;
        const std::size_t kept = cursor.read.size();
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kReadBytes, cursor.end - cursor.next));
        cursor.read.resize(kept + wanted);
        file_->readAt(cursor.next, cursor.read.data() + kept, wanted);
        cursor.next += wanted;
    }
    cursor.length = nul - cursor.at;
    return true;
}

}  // namespace sormel
