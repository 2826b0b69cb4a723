#pragma once

// The marks of the wave planes as (column, row) pairs, for comparing planes
// in lighting tests.

#include <set>
#include <utility>

#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting::testing {

// The (column, row) of every set bit of one plane.
inline std::set<std::pair<int, int>> Marks(const WavePlanes& planes, int plane) {
    std::set<std::pair<int, int>> marks;
    for (int c = 0; c < kGridColumns; ++c) {
        for (int bit = 0; bit < 8; ++bit) {
            if ((planes[plane][c] >> bit) & 1) marks.insert({c, bit});
        }
    }
    return marks;
}

}  // namespace halvorn::lighting::testing
