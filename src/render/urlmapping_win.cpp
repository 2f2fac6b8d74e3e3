#include "render/urlmapping.h"

namespace render {

PathStyle nativePathStyle()
{
    return PathStyle::Windows;
}

} // namespace render
