#pragma once

namespace viewer {

// The viewer's designed geometry, in twips (common/ui.h).
struct ViewerDesign
{
    static constexpr int left = 3060;
    static constexpr int top = 3345;
    static constexpr int width = 6540;
    static constexpr int height = 5130;
    static constexpr int browserLeft = 60;
    static constexpr int browserTop = 900;
    static constexpr int browserWidth = 5400;
    static constexpr int browserHeight = 3735;
    static constexpr int barHeight = 795;
    static constexpr int buttonLeft = 2640;
    static constexpr int buttonTop = 180;
    static constexpr int buttonWidth = 1395;
    static constexpr int buttonHeight = 495;
    static constexpr int buttonGap = 120; // between the Print button and the commands beside it
};

struct ViewerLayout
{
    int browserWidth = 0;  // pixels
    int browserHeight = 0; // pixels
    int buttonLeft = 0;    // pixels, inside the bar
};

// The layout the window applies on every resize, computed in twips in single precision as
// designed: the browser view 100 twips narrower than the inner width and as much shorter than
// what the bar leaves; the Print button centred in the bar. A window smaller than that gives
// the browser view no area rather than a negative one.
ViewerLayout computeViewerLayout(int clientWidth, int clientHeight);

} // namespace viewer
