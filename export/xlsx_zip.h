// The zip container of a workbook, written straight to a sink: each part
// deflated and put after a local header that holds its checksum and sizes,
// the central directory at the end. Parts are small or held compressed
// until complete, so nothing needs to be sought back to.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/byte_sink.h"

struct z_stream_s;                // zlib's
struct libdeflate_compressor;     // libdeflate's

namespace sormel::xlsx {

// Deflates parts held whole in one call (libdeflate): about half the time
// of zlib's stream, but only into an ended stream. Each thread that
// deflates whole parts has its own, which keeps its tables and its room
// from one part to the next.
class WholeDeflater {
public:
    WholeDeflater() = default;
    ~WholeDeflater();
    WholeDeflater(const WholeDeflater&) = delete;
    WholeDeflater& operator=(const WholeDeflater&) = delete;

    // `bytes` deflated into `out`, as one ended stream.
    void deflate(std::string_view bytes, std::string& out);

private:
    libdeflate_compressor* compressor_ = nullptr;  // made by the first part
    std::string room_;                             // the worst case of the largest part so far
};

// One piece of a part's deflated stream. A part may be made of several
// pieces deflated one after another and joined: each but the last ends on a
// byte boundary without ending the stream, so that the joined pieces are one
// valid stream. A sheet's rows are deflated this way as they are written,
// while its head, which tells how far they reach, is made at the end.
//
// A part held whole is deflated in one call instead (WholeDeflater).
class DeflatedPiece {
public:
    DeflatedPiece();
    ~DeflatedPiece();
    DeflatedPiece(const DeflatedPiece&) = delete;
    DeflatedPiece& operator=(const DeflatedPiece&) = delete;

    void append(std::string_view bytes);
    // No more bytes; `last` ends the whole stream. A piece is finished once.
    void finish(bool last);
    // The whole part at once, ended: the part's only piece. Instead of
    // append() and finish(), once.
    void deflateWhole(std::string_view bytes, WholeDeflater& deflater);

    const std::string& deflated() const { return out_; }
    std::uint32_t checksum() const { return checksum_; }
    std::uint64_t size() const { return size_; }

private:
    struct Stream;
    ::z_stream_s& stream();
    void run(int flush);

    std::unique_ptr<Stream> stream_;  // made by the first bytes, let go when finished
    bool finished_ = false;
    std::string out_;
    std::uint32_t checksum_ = 0;
    std::uint64_t size_ = 0;
};

class ZipWriter {
public:
    explicit ZipWriter(ByteSink& sink) : sink_(sink) {}

    // A part made of finished pieces, in order.
    void addPart(const std::string& name, const std::vector<const DeflatedPiece*>& pieces);
    void addPart(const std::string& name, std::string_view content);
    // The central directory: the zip is complete.
    void finish();

private:
    struct Entry {
        std::string name;
        std::uint32_t checksum;
        std::uint32_t deflatedSize;
        std::uint32_t size;
        std::uint32_t offset;
    };
    void put(std::string_view bytes);

    ByteSink& sink_;
    WholeDeflater whole_;  // for the parts given whole
    std::vector<Entry> entries_;
    std::uint64_t offset_ = 0;
};

}  // namespace sormel::xlsx
