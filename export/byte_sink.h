// Where a writer puts the bytes of a file as it makes them, piece by piece,
// so that a large file is never held whole in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace sormel {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes the next bytes of the file. May throw (a full disk, ...), which
    // ends the writing.
    virtual void write(std::string_view bytes) = 0;
};

// Collects everything in one string, for a caller that wants the bytes.
class StringSink : public ByteSink {
public:
    void write(std::string_view bytes) override { text_ += bytes; }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// A writer's text built up in `text` and handed to `sink` in pieces of
// about `kPiece` bytes: call passOn after each unit of output (a row, a
// card), and passOn(true) at the end.
class PieceBuffer {
public:
    static constexpr std::size_t kPiece = 64 * 1024;
    explicit PieceBuffer(ByteSink& sink) : sink_(sink) { text.reserve(kPiece * 2); }
    void passOn(bool last = false) {
        if (text.size() < kPiece && !(last && !text.empty())) return;
        sink_.write(text);
        text.clear();
    }
    std::string text;

private:
    ByteSink& sink_;
};

}  // namespace sormel
