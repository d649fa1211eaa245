// Windows has no resource limits: asking for one fails, as for a limit the
// system does not know. SIGXFSZ is named so that the tests compile; the
// tests that use it are left out on Windows.
#pragma once

#include <cerrno>

struct rlimit {
    unsigned long long rlim_cur;
    unsigned long long rlim_max;
};
#define RLIMIT_FSIZE 1
#define RLIM_INFINITY (~0ULL)
#ifndef SIGXFSZ
#define SIGXFSZ 25
#endif

inline int getrlimit(int, rlimit*) {
    errno = ENOSYS;
    return -1;
}
inline int setrlimit(int, const rlimit*) {
    errno = ENOSYS;
    return -1;
}
