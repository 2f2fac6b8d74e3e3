#include "render/xsltenvironment.h"

namespace render::detail {

// Only glibc's per-thread heaps needed tuning.
void shareMainHeap() {}
void releaseFreedMemory() {}
// Not known here: a transform's output is then bounded by nothing but the machine.
std::size_t allocationSize(void*)
{
    return 0;
}

} // namespace render::detail
