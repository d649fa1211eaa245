#include "export/xlsx_zip.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "export/xlsx_error.h"

namespace sormel::xlsx {
namespace {

// Deflate's fastest levels: a sheet's XML repeats itself so much that the
// default level makes files a fifth smaller at four times the time.
constexpr int kLevel = 1;
constexpr std::size_t kBlock = 64 * 1024;

// The date every part carries, 1980-01-01 (the earliest a zip can hold), so
// that the same report makes the same bytes.
constexpr std::uint16_t kDosDate = (1 << 5) | 1;
constexpr std::uint16_t kVersionNeeded = 20;

void putLittle(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

[[noreturn]] void tooLarge() { failWorkbook("ブックが zip の上限（4 GiB、部品 65,535 個）を超えます。"); }

std::uint32_t fits32(std::uint64_t value) {
    if (value >= std::numeric_limits<std::uint32_t>::max()) tooLarge();
    return static_cast<std::uint32_t>(value);
}

}  // namespace

struct DeflatedPiece::Stream {
    z_stream z{};
};

DeflatedPiece::DeflatedPiece() : checksum_(static_cast<std::uint32_t>(crc32(0, nullptr, 0))) {}

DeflatedPiece::~DeflatedPiece() {
    if (stream_) deflateEnd(&stream_->z);
}

z_stream& DeflatedPiece::stream() {
    if (finished_) throw std::logic_error("a deflated piece is finished once");
    if (!stream_) {
        auto made = std::make_unique<Stream>();
        if (deflateInit2(&made->z, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            failWorkbook("圧縮を始められません（メモリが不足しています）。");
        }
        stream_ = std::move(made);
    }
    return stream_->z;
}

void DeflatedPiece::run(int flush) {
    z_stream& z = stream_->z;
    for (;;) {
        const std::size_t had = out_.size();
        out_.resize(had + kBlock);
        z.next_out = reinterpret_cast<Bytef*>(out_.data() + had);
        z.avail_out = static_cast<uInt>(kBlock);
        const int result = deflate(&z, flush);
        out_.resize(had + kBlock - z.avail_out);
        if (result == Z_STREAM_ERROR) failWorkbook("ブックを圧縮できません。");
        // Done when the input is used up and, for a flush, all is out.
        if (z.avail_in == 0 && z.avail_out != 0) return;
        if (result == Z_STREAM_END) return;
    }
}

void DeflatedPiece::append(std::string_view bytes) {
    z_stream& z = stream();
    while (!bytes.empty()) {
        const std::size_t take = std::min<std::size_t>(bytes.size(), std::numeric_limits<uInt>::max());
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z.avail_in = static_cast<uInt>(take);
        checksum_ = static_cast<std::uint32_t>(crc32(checksum_, z.next_in, z.avail_in));
        run(Z_NO_FLUSH);
        size_ += take;
        bytes.remove_prefix(take);
    }
}

void DeflatedPiece::finish(bool last) {
    z_stream& z = stream();
    z.next_in = nullptr;
    z.avail_in = 0;
    run(last ? Z_FINISH : Z_SYNC_FLUSH);
    // The compressor's tables are let go at once: a sheet may hold many
    // finished pieces.
    deflateEnd(&z);
    stream_.reset();
    finished_ = true;
    out_.shrink_to_fit();
}

WholeDeflater::~WholeDeflater() { libdeflate_free_compressor(compressor_); }

void WholeDeflater::deflate(std::string_view bytes, std::string& out) {
    if (!compressor_) {
        compressor_ = libdeflate_alloc_compressor(kLevel);
        if (!compressor_) failWorkbook("圧縮を始められません（メモリが不足しています）。");
    }
    room_.resize(std::max(room_.size(), libdeflate_deflate_compress_bound(compressor_, bytes.size())));
    const std::size_t made =
        libdeflate_deflate_compress(compressor_, bytes.data(), bytes.size(), room_.data(), room_.size());
    if (made == 0) failWorkbook("ブックを圧縮できません。");
    out.assign(room_.data(), made);
}

void DeflatedPiece::deflateWhole(std::string_view bytes, WholeDeflater& deflater) {
    if (finished_ || stream_) throw std::logic_error("a deflated piece is finished once");
    deflater.deflate(bytes, out_);
    checksum_ = libdeflate_crc32(0, bytes.data(), bytes.size());
    size_ = bytes.size();
    finished_ = true;
}

void ZipWriter::put(std::string_view bytes) {
    sink_.write(bytes);
    offset_ += bytes.size();
}

void ZipWriter::addPart(const std::string& name, const std::vector<const DeflatedPiece*>& pieces) {
    if (entries_.size() >= 0xFFFF) tooLarge();
    std::uint32_t checksum = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    std::uint64_t size = 0;
    std::uint64_t deflated = 0;
    for (const DeflatedPiece* piece : pieces) {
        checksum = static_cast<std::uint32_t>(
            crc32_combine(checksum, piece->checksum(), static_cast<z_off_t>(piece->size())));
        size += piece->size();
        deflated += piece->deflated().size();
    }
    const Entry entry{name, checksum, fits32(deflated), fits32(size), fits32(offset_)};
    std::string header;
    putLittle(header, 0x04034b50, 4);
    putLittle(header, kVersionNeeded, 2);
    putLittle(header, 0, 2);  // flags
    putLittle(header, Z_DEFLATED, 2);
    putLittle(header, 0, 2);  // time
    putLittle(header, kDosDate, 2);
    putLittle(header, entry.checksum, 4);
    putLittle(header, entry.deflatedSize, 4);
    putLittle(header, entry.size, 4);
    putLittle(header, name.size(), 2);
    putLittle(header, 0, 2);  // extra field
    header += name;
    put(header);
    for (const DeflatedPiece* piece : pieces) put(piece->deflated());
    fits32(offset_);
    entries_.push_back(entry);
}

void ZipWriter::addPart(const std::string& name, std::string_view content) {
    DeflatedPiece piece;
    piece.deflateWhole(content, whole_);
    addPart(name, {&piece});
}

void ZipWriter::finish() {
    const std::uint64_t start = offset_;
    std::string directory;
    for (const Entry& entry : entries_) {
        putLittle(directory, 0x02014b50, 4);
        putLittle(directory, kVersionNeeded, 2);  // made by: MS-DOS, zip 2.0
        putLittle(directory, kVersionNeeded, 2);
        putLittle(directory, 0, 2);
        putLittle(directory, Z_DEFLATED, 2);
        putLittle(directory, 0, 2);
        putLittle(directory, kDosDate, 2);
        putLittle(directory, entry.checksum, 4);
        putLittle(directory, entry.deflatedSize, 4);
        putLittle(directory, entry.size, 4);
        putLittle(directory, entry.name.size(), 2);
        putLittle(directory, 0, 2);  // extra field
        putLittle(directory, 0, 2);  // comment
        putLittle(directory, 0, 2);  // disk
        putLittle(directory, 0, 2);  // internal attributes
        putLittle(directory, 0, 4);  // external attributes
        putLittle(directory, entry.offset, 4);
        directory += entry.name;
        if (directory.size() >= kBlock) {
            put(directory);
            directory.clear();
        }
    }
    put(directory);
    std::string end;
    putLittle(end, 0x06054b50, 4);
    putLittle(end, 0, 2);
    putLittle(end, 0, 2);
    putLittle(end, entries_.size(), 2);
    putLittle(end, entries_.size(), 2);
    putLittle(end, fits32(offset_ - start), 4);
    putLittle(end, fits32(start), 4);
    putLittle(end, 0, 2);
    put(end);
}

}  // namespace sormel::xlsx
