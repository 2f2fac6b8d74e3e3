#pragma once

#include <QString>

#include <functional>

namespace common {

// Tells the user something and returns once they have read it: a message box in the program, a
// recorder in tests.
using Notifier = std::function<void(const QString& message)>;

} // namespace common
