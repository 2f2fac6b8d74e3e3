#include "render/urlmapping.h"

namespace render {

PathStyle nativePathStyle()
{
    return PathStyle::Posix;
}

} // namespace render
