// A hint to the processor to bring memory towards its caches without
// waiting for it, where the compiler offers one; nothing otherwise.
#pragma once

namespace sormel {

inline void prefetch(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    static_cast<void>(address);
#endif
}

}  // namespace sormel
