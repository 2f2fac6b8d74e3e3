#pragma once

#include <QString>

#include <functional>

namespace about {

// Tells the user something and returns once they have read it (a modal message box in the
// program, a recorder in tests).
using Notifier = std::function<void(const QString& message)>;

} // namespace about
