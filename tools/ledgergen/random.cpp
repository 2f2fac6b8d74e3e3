#include "random.h"

namespace ledgergen {

namespace {

uint64_t splitmix(uint64_t& x)
{
    uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

uint64_t rotl(uint64_t x, int k)
{
    return (x << k) | (x >> (64 - k));
}

} // namespace

Rng::Rng(uint64_t seed)
{
    for (uint64_t& s : m_s) {
        s = splitmix(seed);
    }
}

uint64_t Rng::next()
{
    const uint64_t result = rotl(m_s[1] * 5, 7) * 9;
    const uint64_t t = m_s[1] << 17;
    m_s[2] ^= m_s[0];
    m_s[3] ^= m_s[1];
    m_s[1] ^= m_s[2];
    m_s[0] ^= m_s[3];
    m_s[2] ^= t;
    m_s[3] = rotl(m_s[3], 45);
    return result;
}

uint64_t streamSeed(uint64_t seed, std::string_view label, uint64_t index)
{
    uint64_t h = 0xcbf29ce484222325ULL; // FNV-1a
    for (unsigned char c : label) {
        h = (h ^ c) * 0x100000001b3ULL;
    }
    uint64_t x = seed ^ h ^ (index * 0xd6e8feb86659fd93ULL);
    return splitmix(x);
}

} // namespace ledgergen
