#include "export/save_set.h"

#include <string>

#include "export/save_system.h"

namespace sormel {

struct SaveSet::Entry {
    std::filesystem::path target;
    std::unique_ptr<save_system::PreparedFile> file;
    std::string streamBytes;  // what a pipe or device receives at commit
};

SaveSet::SaveSet() = default;
SaveSet::~SaveSet() = default;

void SaveSet::prepare(const std::filesystem::path& target, std::string_view bytes) { fill(reserve(target), bytes); }

std::size_t SaveSet::reserve(const std::filesystem::path& target, MissingFolder missing) {
    auto file = std::make_unique<save_system::PreparedFile>(target, missing == MissingFolder::Make);
    const save_system::TargetIdentity& identity = file->identity();
    if (!reserved_.emplace(identity.device, identity.node, identity.name).second) {
        failSave("同じファイルに複数の出力を保存しようとしています。", target);
    }
    // Thousands of outputs waiting for their content would hold as many
    // open files: beyond the first few, a temporary file is opened again
    // only to be written.
    if (entries_.size() >= kOpenWhileWaiting) file->setAside();
    entries_.push_back(Entry{target, std::move(file), {}});
    return entries_.size() - 1;
}

void SaveSet::fill(std::size_t index, std::string_view bytes) {
    Entry& entry = entries_.at(index);
    if (entry.file->isStream()) {
        entry.streamBytes.assign(bytes);
    } else {
        entry.file->append(bytes);
        entry.file->finish(flushWhenFinished());
    }
}

save_system::PreparedFile::Flush SaveSet::flushWhenFinished() const {
    // A few files are flushed one by one, which costs nothing beside the
    // rest of the system; many (the average decks of every type) together.
    return entries_.size() > kFlushedOneByOne ? save_system::PreparedFile::Flush::Later
                                               : save_system::PreparedFile::Flush::Now;
}

namespace {

// Hands the bytes to a temporary file as they come: the writers already
// pass them on in pieces of tens of kilobytes.
class TemporaryFileSink : public ByteSink {
public:
    explicit TemporaryFileSink(save_system::PreparedFile& file) : file_(file) {}
    void write(std::string_view bytes) override { file_.append(bytes); }

private:
    save_system::PreparedFile& file_;
};

}  // namespace

void SaveSet::fill(std::size_t index, const std::function<void(ByteSink&)>& write) {
    Entry& entry = entries_.at(index);
    try {
        if (entry.file->isStream()) {
            // A pipe or device is written at commit: its bytes wait here.
            StringSink bytes;
            write(bytes);
            entry.streamBytes = bytes.take();
        } else {
            TemporaryFileSink sink(*entry.file);
            write(sink);
            entry.file->finish(flushWhenFinished());
        }
    } catch (...) {
        drop(index);
        throw;
    }
}

void SaveSet::drop(std::size_t index) {
    Entry& entry = entries_.at(index);
    if (!entry.file) return;
    const save_system::TargetIdentity& identity = entry.file->identity();
    reserved_.erase({identity.device, identity.node, identity.name});
    entry.file.reset();
}

void SaveSet::commitAll() {
    std::vector<Entry> entries = std::move(entries_);
    entries_.clear();
    reserved_.clear();
    std::vector<save_system::PreparedFile*> files;
    for (Entry& entry : entries) {
        if (!entry.file) continue;
        if (entry.file->isStream()) {
            entry.file->write(entry.streamBytes);
        } else {
            files.push_back(entry.file.get());
        }
    }
    if (entries.size() > kFlushedOneByOne) save_system::flushTogether(files);
    // The renames and any undoing of them are one step that a signal does
    // not cut in two.
    const save_system::CommitWindow window;
    // The last file needs no way back: nothing can fail after it.
    for (std::size_t i = 0; i + 1 < files.size(); ++i) files[i]->keepOldContent();
    std::size_t placed = 0;
    try {
        for (; placed < files.size(); ++placed) files[placed]->putInPlace();
    } catch (...) {
        while (placed > 0) files[--placed]->putBack();
        for (save_system::PreparedFile* file : files) file->dropOldContent();
        throw;
    }
    save_system::flushFolders(files);
    for (save_system::PreparedFile* file : files) file->dropOldContent();
}

}  // namespace sormel
