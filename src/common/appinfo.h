#pragma once

#include <QString>

namespace common {

struct Version
{
    int major = 0;
    int minor = 0;
    int revision = 0;
};

inline constexpr Version kVersion{VERAZIDEDAZE_VERSION_MAJOR, VERAZIDEDAZE_VERSION_MINOR, VERAZIDEDAZE_VERSION_PATCH};

// Caption of every message box that names none of its own.
inline constexpr char16_t kProgramTitle[] = u"PELVORA.VERAZIDEDAZE";

inline constexpr char kSupportPhone[] = VERAZIDEDAZE_SUPPORT_PHONE;
inline constexpr char kSupportHost[] = VERAZIDEDAZE_SUPPORT_HOST;

QString programTitle();

// "0.0.25": plain decimals without leading zeros.
QString versionNumber(const Version& v = kVersion);
// "v0.0.25", the selection window's label.
QString shortVersionText(const Version& v = kVersion);
// "Version 0.0.25", the About window's label.
QString longVersionText(const Version& v = kVersion);

} // namespace common
