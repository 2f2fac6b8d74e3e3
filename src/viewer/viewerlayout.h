#pragma once

namespace viewer {

// The viewer's designed geometry, in twips (15 twips make one pixel).
struct ViewerDesign
{
    static constexpr float browserLeft = 60;
    static constexpr float browserTop = 900;
    static constexpr float barHeight = 795;
    static constexpr float buttonLeft = 2640;
    static constexpr float buttonTop = 180;
    static constexpr float buttonWidth = 1395;
    static constexpr float buttonHeight = 495;
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
