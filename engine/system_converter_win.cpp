// Code page conversions on Windows, by the system's own tables. A character
// the target cannot hold fails the conversion: the system is told never to
// put a look-alike in its place.
#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "engine/system_converter.h"

namespace sormel {
namespace {

enum class Charset : int { Utf8, Cp932, Utf32le };

Charset charsetNamed(const char* name, const char* to, const char* from) {
    const std::string n(name);
    if (n == "UTF-8") return Charset::Utf8;
    if (n == "CP932") return Charset::Cp932;
    if (n == "UTF-32LE") return Charset::Utf32le;
    throw std::runtime_error(std::string("文字コード変換を準備できません (") + from + " → " + to + ")。");
}

bool toUtf16(Charset from, std::string_view in, std::wstring& out) {
    out.clear();
    if (in.empty()) return true;
    if (from == Charset::Utf32le) {
        if (in.size() % 4 != 0) return false;
        for (std::size_t i = 0; i < in.size(); i += 4) {
            char32_t c = 0;
            std::memcpy(&c, in.data() + i, 4);
            if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
            if (c >= 0x10000) {
                out.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
                out.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                out.push_back(static_cast<wchar_t>(c));
            }
        }
        return true;
    }
    const UINT page = from == Charset::Utf8 ? CP_UTF8 : 932;
    const int size = static_cast<int>(in.size());
    const int length = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
    if (length <= 0) return false;
    out.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), size, out.data(), length) == length;
}

bool fromUtf16(Charset to, std::wstring_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    if (to == Charset::Utf32le) {
        for (std::size_t i = 0; i < in.size(); ++i) {
            char32_t c = in[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(in[++i]) - 0xDC00);
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                return false;
            }
            char bytes[4];
            std::memcpy(bytes, &c, 4);
            out.append(bytes, 4);
        }
        return true;
    }
    const int size = static_cast<int>(in.size());
    if (to == Charset::Utf8) {
        const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in.data(), size, nullptr, 0, nullptr, nullptr);
        if (length <= 0) return false;
        out.resize(static_cast<std::size_t>(length));
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in.data(), size, out.data(), length, nullptr,
                                   nullptr) == length;
    }
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, in.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(length));
    return WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, in.data(), size, out.data(), length, nullptr,
                               &usedDefault) == length &&
           !usedDefault;
}

}  // namespace

// The handle holds the two character sets, from in the low byte.
SystemConverter::SystemConverter(const char* to, const char* from)
    : handle_(reinterpret_cast<void*>(static_cast<std::uintptr_t>(
          static_cast<int>(charsetNamed(from, to, from)) | (static_cast<int>(charsetNamed(to, to, from)) << 8)))) {}

SystemConverter::~SystemConverter() = default;

std::size_t SystemConverter::convert(std::string_view in, char* out, std::size_t outSize) {
    const auto packed = reinterpret_cast<std::uintptr_t>(handle_);
    const auto from = static_cast<Charset>(packed & 0xFF);
    const auto to = static_cast<Charset>((packed >> 8) & 0xFF);
    std::wstring wide;
    std::string converted;
    if (!toUtf16(from, in, wide) || !fromUtf16(to, wide, converted)) return kFailed;
    if (converted.size() > outSize) return kFailed;
    std::memcpy(out, converted.data(), converted.size());
    return converted.size();
}

}  // namespace sormel
