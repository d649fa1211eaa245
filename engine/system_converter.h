// The system's character-set converter, for the code page tables the
// decoder and encoder build from it.
#pragma once

#include <cstddef>
#include <string_view>

namespace sormel {

class SystemConverter {
public:
    // Throws std::runtime_error when the system cannot convert between the
    // two character sets.
    SystemConverter(const char* to, const char* from);
    ~SystemConverter();
    SystemConverter(const SystemConverter&) = delete;
    SystemConverter& operator=(const SystemConverter&) = delete;

    // Converts the whole of `in` into `out`, from a fresh state; the number
    // of bytes written, or kFailed when `in` does not convert in full or
    // does not fit.
    std::size_t convert(std::string_view in, char* out, std::size_t outSize);
    static constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

private:
    void* handle_;
};

}  // namespace sormel
