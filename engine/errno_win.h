// errno numbers of POSIX systems that the Windows C runtime has no use for,
// so that code telling them apart compiles; the runtime never sets them.
#pragma once

#include <cerrno>

#ifndef EDQUOT
#define EDQUOT 10069
#endif
#ifndef ESTALE
#define ESTALE 10070
#endif
