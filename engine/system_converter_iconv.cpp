#include "engine/system_converter.h"

#include <iconv.h>

#include <stdexcept>
#include <string>

namespace sormel {

SystemConverter::SystemConverter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("文字コード変換を準備できません (") + from + " → " + to + ")。");
    }
}

SystemConverter::~SystemConverter() { iconv_close(static_cast<iconv_t>(handle_)); }

std::size_t SystemConverter::convert(std::string_view in, char* out, std::size_t outSize) {
    const auto handle = static_cast<iconv_t>(handle_);
    std::string input(in);  // iconv takes a non-const pointer
    char* inPtr = input.data();
    char* outPtr = out;
    std::size_t inLeft = input.size(), outLeft = outSize;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    if (iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
        return kFailed;
    }
    return outSize - outLeft;
}

}  // namespace sormel
