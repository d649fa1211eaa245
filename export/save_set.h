// Saving several outputs of one command together: each is written in full
// first, and only then are all put in place, so that a failure anywhere
// leaves every old file as it was.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "export/byte_sink.h"
#include "export/save_error.h"
#include "export/save_system.h"

namespace sormel {

class SaveSet {
public:
    SaveSet();
    // Whatever was prepared and not committed is dropped: no temporary file
    // remains and no target is touched.
    ~SaveSet();
    SaveSet(const SaveSet&) = delete;
    SaveSet& operator=(const SaveSet&) = delete;

    // Writes `bytes` to a temporary file beside `target` (a link is written
    // through). A pipe or character device target is only opened here and
    // written by commitAll. Throws SaveError, leaving what was prepared
    // before as it was.
    void prepare(const std::filesystem::path& target, std::string_view bytes);

    // The two halves of prepare, for outputs checked before their content
    // exists: reserve opens the target (and its temporary file) and refuses
    // a second output to the same file; fill writes what `reserve`
    // returned the index of.
    // With MissingFolder::Make, a target in a folder that does not exist
    // yet (in one that does) is accepted; the folder is made by commitAll.
    // However many are reserved, only the first few keep their temporary
    // file open until it is filled, so that thousands of outputs need no
    // more open files than a handful.
    enum class MissingFolder { Refuse, Make };
    std::size_t reserve(const std::filesystem::path& target, MissingFolder missing = MissingFolder::Refuse);
    void fill(std::size_t index, std::string_view bytes);
    // The same for a content `write` makes piece by piece into the sink it
    // is given: each piece goes to the temporary file as it comes, through
    // a buffer. When `write` throws, the output is dropped at once (its
    // temporary file removed, its target left as it was) and the exception
    // goes on.
    void fill(std::size_t index, const std::function<void(ByteSink&)>& write);
    // Gives up an output reserved and then not wanted: its target is left
    // as it was.
    void drop(std::size_t index);

    // Writes the pipes and devices, then renames every temporary file over
    // its target. A failure puts back the files already replaced, as far as
    // the file system allows, and throws SaveError. SIGINT, SIGTERM and
    // SIGHUP wait until the renames are done or undone. The set is empty
    // afterwards either way.
    void commitAll();

private:
    static constexpr std::size_t kFlushedOneByOne = 4;
    static constexpr std::size_t kOpenWhileWaiting = 32;
    struct Entry;
    save_system::PreparedFile::Flush flushWhenFinished() const;
    std::vector<Entry> entries_;
    // The files reserved, by identity: the same file twice is refused.
    std::set<std::tuple<std::uint64_t, std::uint64_t, std::string>> reserved_;
};

}  // namespace sormel
