// One long text made on one thread and read as a stream on another, a few
// pieces at a time, so that the two run side by side and the text is never
// whole in memory.
#pragma once

#include <functional>
#include <iosfwd>

#include "export/byte_sink.h"

namespace sormel {

// Runs `write` on a thread of its own and `read` here, on what `write`
// writes. When either throws, the other is stopped and the first failure
// is thrown here: the writer's before the reader's, since a reader fails
// on a text cut short. Without a thread to spare, the text is made first
// and then read.
void readWhileWriting(const std::function<void(ByteSink&)>& write, const std::function<void(std::istream&)>& read);

}  // namespace sormel
