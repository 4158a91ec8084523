#pragma once

// The pseudo-random numbers of the demo database. The generator and every
// derived draw are written out here, not taken from <random>, whose
// distributions differ between standard libraries: one seed must give the
// same database everywhere.

#include <cstdint>
#include <vector>

namespace tarel::demodb {

__extension__ typedef unsigned __int128 UInt128;

// splitmix64: expands a seed into the state of the main generator.
inline std::uint64_t splitmix64(std::uint64_t &state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// xoshiro256**.
class Random {
public:
    explicit Random(std::uint64_t seed)
    {
        for (std::uint64_t &word : m_state)
            word = splitmix64(seed);
    }

    std::uint64_t next()
    {
        const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = rotl(m_state[3], 45);
        return result;
    }

    // A number from 0 to bound - 1 (bound > 0), by multiply-and-shift.
    std::uint64_t below(std::uint64_t bound)
    {
        return std::uint64_t((UInt128(next()) * bound) >> 64);
    }
    int below(int bound) { return int(below(std::uint64_t(bound))); }
    // A number from low to high, both included.
    int between(int low, int high) { return low + below(high - low + 1); }
    // True with the given chance in thousandths.
    bool perMille(int chance) { return below(1000) < chance; }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_state[4];
};

// Picks indexes with integer weights.
class WeightedPick {
public:
    WeightedPick() = default;
    explicit WeightedPick(const std::vector<std::uint64_t> &weights) { assign(weights); }

    void assign(const std::vector<std::uint64_t> &weights)
    {
        m_cumulative.clear();
        m_cumulative.reserve(weights.size());
        std::uint64_t sum = 0;
        for (std::uint64_t weight : weights)
            m_cumulative.push_back(sum += weight);
    }
    std::uint64_t total() const { return m_cumulative.empty() ? 0 : m_cumulative.back(); }
    bool empty() const { return total() == 0; }

    // The index whose weight range holds a uniform draw; entries of weight 0
    // are never picked. The table must not be empty.
    int pick(Random &random) const
    {
        const std::uint64_t draw = random.below(total());
        std::size_t low = 0, high = m_cumulative.size() - 1;
        while (low < high) {
            const std::size_t middle = (low + high) / 2;
            if (m_cumulative[middle] > draw)
                high = middle;
            else
                low = middle + 1;
        }
        return int(low);
    }

private:
    std::vector<std::uint64_t> m_cumulative;
};

} // namespace tarel::demodb
