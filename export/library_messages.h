// What a library prints on standard error by itself (libxlsxwriter's
// "[ERROR]" and "[WARNING]" lines, in English), kept from the user's
// terminal and told as part of the program's own message instead.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace sormel {

// Standard error goes to a buffer of its own while one is alive. It is the
// process's standard error: another thread's messages in that time are
// taken as well, so it is kept to short library calls.
class StandardErrorCapture {
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    // Standard error back where it was; the lines captured, each without
    // the library's "[ERROR][file:line]: " prefix, control characters
    // escaped, joined by " / ".
    std::string finish();

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

namespace detail {
// The lines a library printed, each without its "[ERROR][file:line]: "
// prefix and line end, control characters escaped, joined by " / ".
std::string joinLibraryLines(std::string_view captured);
}  // namespace detail

// Runs `build`; when it throws std::runtime_error, the library's lines are
// added to the message as its details. On success they are dropped: the
// program's own checks stand for them.
template <typename Build>
auto withLibraryDetails(const char* library, Build&& build) {
    StandardErrorCapture capture;
    try {
        return std::forward<Build>(build)();
    } catch (const std::runtime_error& error) {
        const std::string details = capture.finish();
        if (details.empty()) throw;
        throw std::runtime_error(std::string(error.what()) + "\n詳細（" + library + " の報告）: " + details);
    }
}

}  // namespace sormel
