#include "common/appinfo.h"

namespace common {

QString programTitle()
{
    return QString::fromUtf16(kProgramTitle);
}

QString versionNumber(const Version& v)
{
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

QString shortVersionText(const Version& v)
{
    return QLatin1Char('v') + versionNumber(v);
}

QString longVersionText(const Version& v)
{
    return QStringLiteral("Version ") + versionNumber(v);
}

} // namespace common
