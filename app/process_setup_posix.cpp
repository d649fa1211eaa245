#include <csignal>

#include "app/process_setup.h"

namespace sormel {

void prepareProcess(int&, char**&) {
    // A write over the file size limit must fail with an error we can
    // report, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace sormel
