#include "render/xsltenvironment.h"

namespace viewer::detail {

// Only glibc's per-thread heaps needed tuning.
void shareMainHeap() {}
void releaseFreedMemory() {}

} // namespace viewer::detail
