#pragma once

#include "measurement/random.h"

#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tintora::measurement::testing {

// Hands out the channel values of a script of target colours, in draw order,
// as the draw of value v / 256 that gives exactly v.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<int> values = {})
        : m_values(std::move(values))
    {
    }
    void then(std::initializer_list<int> values) { m_values.insert(m_values.end(), values); }
    void reseed_from_clock() override { ++reseeds; }
    float next() override
    {
        if (m_next == m_values.size())
            throw std::logic_error("the script has no more values");
        return static_cast<float>(m_values[m_next++]) / 256.0F;
    }
    std::size_t drawn() const { return m_next; }

    int reseeds = 0;

private:
    std::vector<int> m_values;
    std::size_t m_next = 0;
};

}
