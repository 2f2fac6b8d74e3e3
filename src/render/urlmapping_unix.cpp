#include "render/urlmapping.h"

namespace viewer {

PathStyle nativePathStyle()
{
    return PathStyle::Posix;
}

} // namespace viewer
