#include "render/ledgerrender.h"

namespace render {

// Not measured on this platform yet: no render is refused for its size.
std::optional<qint64> availableMemory()
{
    return std::nullopt;
}

} // namespace render
