#include "common/ui.h"

namespace common {

QFont legacyFont(qreal pointSize, bool bold)
{
    // Liberation Sans shares Arial's metrics, the closest widely available match; the designed
    // geometry leaves no room for wider faces.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/verazidedaze/verazidedaze.png"));
}

} // namespace common
