#pragma once

#include <QString>

// Numbers as a Turkish reader writes them: "1.234.567", "12,5".
namespace common {

[[nodiscard]] QString number(qint64 value);
[[nodiscard]] QString decimal(double value, int decimals);
// A file's size in mebibytes with `decimals` places, without the unit: "12,5".
[[nodiscard]] QString megabytes(qint64 bytes, int decimals);
// A large amount of memory or data, rounded for a message: "850 MB", "2,3 GB".
[[nodiscard]] QString sizeText(qint64 bytes);

} // namespace common
