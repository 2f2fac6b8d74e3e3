#include "viewer/viewerlayout.h"

#include "common/ui.h"

#include <algorithm>
#include <cmath>

namespace viewer {

namespace {

constexpr float kTwipsPerPixel = float(common::kTwipsPerPixel);

int toPixels(float twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

} // namespace

ViewerLayout computeViewerLayout(int clientWidth, int clientHeight)
{
    const float width = float(clientWidth) * kTwipsPerPixel;
    const float height = float(clientHeight) * kTwipsPerPixel;
    ViewerLayout layout;
    layout.browserWidth = std::max(0, toPixels(width - 100));
    layout.browserHeight = std::max(0, toPixels(height - float(ViewerDesign::barHeight) - 100));
    layout.buttonLeft = toPixels((width - float(ViewerDesign::buttonWidth)) / 2);
    return layout;
}

} // namespace viewer
