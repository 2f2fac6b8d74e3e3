#pragma once

#include <cstddef>

namespace render::detail {

// Stylesheets that recurse once per ledger line need far more than libxslt's defaults (3000
// nested sequence constructors, 15000 variables): a template level costs 2–4 of the former,
// so 500,000 holds a 50,000-line kebir account with room to spare.
inline constexpr int kMaxTemplateDepth = 500000;
inline constexpr int kMaxTemplateVars = 1000000;

// Measured at the depth limit above: plain call-template recursion needs 192 MB of stack,
// apply-templates recursion (the heaviest frames) 384 MB. Twice that, so a runaway stylesheet
// ends with a message instead of a crash. Virtual memory: only touched pages are used.
inline constexpr std::size_t kRenderThreadStackSize = std::size_t(768) << 20;

} // namespace render::detail
