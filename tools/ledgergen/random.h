#pragma once

#include <cstdint>
#include <string_view>

namespace ledgergen {

// xoshiro256** seeded through splitmix64. Our own generator and our own range helpers, because the std::
// distributions differ between standard libraries and one seed must always give the same bytes.
class Rng
{
public:
    explicit Rng(uint64_t seed);

    uint64_t next();
    // Uniform in [0, n); n > 0.
    uint64_t below(uint64_t n) { return next() % n; }
    // Uniform in [lo, hi].
    int64_t between(int64_t lo, int64_t hi) { return lo + static_cast<int64_t>(below(uint64_t(hi - lo) + 1)); }
    bool chance(unsigned percent) { return below(100) < percent; }

private:
    uint64_t m_s[4] = {};
};

// A seed for one independent stream (one file's signature, the chart, ...), so that adding a stream never
// shifts the values of another.
uint64_t streamSeed(uint64_t seed, std::string_view label, uint64_t index = 0);

} // namespace ledgergen
