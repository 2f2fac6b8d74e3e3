#include "render/urlmapping.h"

namespace viewer {

PathStyle nativePathStyle()
{
    return PathStyle::Windows;
}

} // namespace viewer
