#pragma once

#include <QFont>
#include <QIcon>

namespace common {

// Window geometry is designed in twips; 15 twips make one logical pixel.
inline constexpr int kTwipsPerPixel = 15;

constexpr int twips(int value)
{
    return value / kTwipsPerPixel;
}

// The windows were designed for "MS Sans Serif"; where it is missing the nearest sans-serif face
// of the same size and weight stands in.
QFont legacyFont(qreal pointSize, bool bold);

// The program's 32 × 32 icon, shared by every window.
QIcon programIcon();

} // namespace common
