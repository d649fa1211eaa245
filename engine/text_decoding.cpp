#include "engine/text_decoding.h"

#include "engine/system_converter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>
#include <stdexcept>

namespace sormel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

inline void appendUtf8(std::string& out, char32_t cp) {
    char bytes[4];
    out.append(bytes, writeUtf8(bytes, cp));
}

// Length of the well-formed UTF-8 sequence at the start of `s`, or the
// length of its maximal ill-formed prefix as a negative number (at least
// one byte), following the Unicode rules for U+FFFD substitution.
inline int utf8SequenceLength(const unsigned char* s, std::size_t available) {
    const unsigned char b0 = s[0];
    if (b0 < 0x80) return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return -1;
    }
    for (int i = 1; i < length; ++i) {
        if (static_cast<std::size_t>(i) >= available) return -i;
        const unsigned char b = s[i];
        if (b < low || b > high) return -i;
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

std::string replaceInvalidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const int length = utf8SequenceLength(s + i, bytes.size() - i);
        if (length > 0) {
            out.append(bytes.substr(i, static_cast<std::size_t>(length)));
            i += static_cast<std::size_t>(length);
        } else {
            appendUtf8(out, kReplacement);
            i += static_cast<std::size_t>(-length);
        }
    }
    return out;
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t k) -> char32_t {
        const unsigned char a = s[2 * k], b = s[2 * k + 1];
        return bigEndian ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>((b << 8) | a);
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char32_t unit = unitAt(k);
        if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < units) {
            const char32_t next = unitAt(k + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++k;
                continue;
            }
        }
        appendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : unit);
    }
    if (bytes.size() % 2 != 0) appendUtf8(out, kReplacement);
    return out;
}

bool isCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isCp932Trail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Code points of every double-byte character of code page 932, indexed by
// (lead << 8 | trail); 0 where the pair does not decode. Read once from the
// system's CP932 converter.
const std::array<char32_t, 0x10000>& doubleByteTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<char32_t, 0x10000>>();
        t->fill(0);
        SystemConverter converter("UTF-32LE", "CP932");
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isCp932Lead(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isCp932Trail(static_cast<unsigned char>(trail))) continue;
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                unsigned char out[8] = {};
                if (converter.convert(std::string_view(in, 2), reinterpret_cast<char*>(out), sizeof out) == 4) {
                    (*t)[(lead << 8) | trail] = static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24));
                }
            }
        }
        return t;
    }();
    return *table;
}

}  // namespace

char* writeUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

bool isAscii(std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080ULL) return false;
    }
    for (; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
    }
    return true;
}

std::string toValidUtf8(std::string_view bytes) {
    return isValidUtf8(bytes) ? std::string(bytes) : replaceInvalidUtf8(bytes);
}

bool isValidUtf8(std::string_view bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        // Skip ASCII eight bytes at a time, up to the first byte that is not.
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s + i, 8);
            if (const std::uint64_t high = word & 0x8080808080808080ULL) {
                i += static_cast<std::size_t>(std::countr_zero(high)) / 8;
                break;
            }
            i += 8;
        }
        if (i >= n) break;
        // Three-byte characters (kana and kanji) in a row, checked inline.
        while (i + 3 <= n && (s[i] & 0xF0) == 0xE0) {
            const unsigned char b1 = s[i + 1];
            if ((b1 & 0xC0) != 0x80 || (s[i + 2] & 0xC0) != 0x80) return false;
            if ((s[i] == 0xE0 && b1 < 0xA0) || (s[i] == 0xED && b1 > 0x9F)) return false;
            i += 3;
        }
        if (i >= n) break;
        const int length = utf8SequenceLength(s + i, n - i);
        if (length < 0) return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

DeckEncoding prepareDeckText(std::string& bytes) {
    auto startsWith = [&](std::string_view mark) { return bytes.compare(0, mark.size(), mark) == 0; };
    if (startsWith("\xEF\xBB\xBF")) {
        bytes.erase(0, 3);
        if (!isValidUtf8(bytes)) bytes = replaceInvalidUtf8(bytes);
        return DeckEncoding::Utf8;
    }
    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        bytes = utf16ToUtf8(std::string_view(bytes).substr(2), bigEndian);
        return DeckEncoding::Utf8;
    }
    return isValidUtf8(bytes) ? DeckEncoding::Utf8 : DeckEncoding::Cp932;
}

std::string decodeCp932(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);
    const auto& table = doubleByteTable();
    // Every byte gives at most three bytes of UTF-8: code page 932 holds
    // only characters of the BMP. The text is built in a buffer kept from
    // call to call and returned in a string of its own size.
    thread_local std::string buffer;
    buffer.resize(std::max(buffer.size(), bytes.size() * 3));
    char* o = buffer.data();
    auto put = [&o](char32_t cp) { o = writeUtf8(o, cp); };
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        if (b <= 0x80) {
            put(b);
            ++i;
        } else if (b >= 0xA1 && b <= 0xDF) {
            put(0xFF61 + (b - 0xA1));  // half-width katakana
            ++i;
        } else if (isCp932Lead(b) && i + 1 < n) {
            const unsigned char trail = s[i + 1];
            const char32_t cp = isCp932Trail(trail) ? table[(b << 8) | trail] : 0;
            if (cp != 0) {
                put(cp);
                i += 2;
            } else {
                // An ASCII byte after a bad lead byte is read again on its own.
                put(kReplacement);
                i += trail < 0x80 ? 1 : 2;
            }
        } else {
            put(kReplacement);
            ++i;
        }
    }
    return std::string(buffer.data(), o);
}

std::size_t appendCp932(std::string& out, std::string_view utf8) {
    if (isAscii(utf8)) {
        out.append(utf8);
        return 0;
    }
    std::size_t lost = 0;
    // No character takes more bytes in code page 932 than in UTF-8: the
    // text is written into room for as many bytes, then cut to its size.
    const std::size_t start = out.size();
    out.resize(start + utf8.size());
    char* o = out.data() + start;
    // Code page 932 bytes of each BMP character, looked up in the system's
    // converter the first time the character is met: 0 not yet known,
    // 0xFFFF not representable, otherwise one byte or a lead/trail pair.
    thread_local std::vector<std::uint16_t> known(0x10000, 0);
    thread_local SystemConverter converter("CP932", "UTF-8");
    std::uint16_t* const knownBytes = known.data();
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    for (std::size_t i = 0; i < utf8.size();) {
        const int length = utf8SequenceLength(s + i, utf8.size() - i);
        const std::size_t step = static_cast<std::size_t>(length > 0 ? length : -length);
        if (length == 1) {
            *o++ = static_cast<char>(s[i]);
        } else if (length == 2 || length == 3) {
            const char32_t cp = length == 2 ? ((s[i] & 0x1F) << 6) | (s[i + 1] & 0x3F)
                                            : ((s[i] & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
            std::uint16_t& bytes = knownBytes[cp];
            if (bytes == 0) {
                char converted[4] = {};
                const std::size_t produced = converter.convert(
                    std::string_view(reinterpret_cast<const char*>(s + i), step), converted, sizeof converted);
                const bool ok = produced != SystemConverter::kFailed;
                const auto b0 = static_cast<unsigned char>(converted[0]);
                const auto b1 = static_cast<unsigned char>(converted[1]);
                bytes = !ok || produced == 0 || produced > 2 ? 0xFFFF
                        : produced == 1                      ? static_cast<std::uint16_t>(0x100 | b0)
                                                             : static_cast<std::uint16_t>((b0 << 8) | b1);
            }
            if (bytes == 0xFFFF) {
                *o++ = '?';
                ++lost;
            } else if (bytes >> 8 == 1) {
                *o++ = static_cast<char>(bytes & 0xFF);  // a single byte (half-width katakana)
            } else {
                *o++ = static_cast<char>(bytes >> 8);
                *o++ = static_cast<char>(bytes & 0xFF);
            }
        } else {
            *o++ = '?';  // beyond the BMP, or a broken sequence
            ++lost;
        }
        i += step;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return lost;
}

}  // namespace sormel
