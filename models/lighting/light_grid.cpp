#include "models/lighting/light_grid.h"

#include <algorithm>
#include <cstdlib>

#include "models/lighting/effect_draw.h"
#include "models/lighting/light_tables.h"

namespace halvorn::lighting {

namespace {

struct GridKeyList {
    std::array<uint8_t, kGridColumns * kGridRows> keys{};
    std::size_t count = 0;
    std::array<bool, kKeyLightCount> onGrid{};
};

const GridKeyList& KeyList() {
    static const GridKeyList list = [] {
        GridKeyList built;
        ForEachGridCell([&](int, int, int key) {
            if (!built.onGrid[key]) {
                built.onGrid[key] = true;
                built.keys[built.count++] = static_cast<uint8_t>(key);
            }
        });
        return built;
    }();
    return list;
}

}  // namespace

void GridDistances(int key, std::array<uint8_t, kKeyLightCount>& distances) {
    distances.fill(kFarAway);
    std::array<int, 2> columns{};
    std::array<int, 2> rows{};
    int cells = 0;
    ForEachGridCell([&](int column, int row, int k) {
        if (k == key && cells < 2) {
            columns[cells] = column;
            rows[cells] = row;
            ++cells;
        }
    });
    if (cells == 0) {
        return;
    }
    ForEachGridCell([&](int column, int row, int k) {
        for (int i = 0; i < cells; ++i) {
            const int d = std::max(std::abs(column - columns[i]), std::abs(row - rows[i]));
            distances[k] = std::min<uint8_t>(distances[k], static_cast<uint8_t>(d));
        }
    });
}

std::span<const uint8_t> GridKeys() {
    const GridKeyList& list = KeyList();
    return {list.keys.data(), list.count};
}

void MarkKeysNear(int key, int reach, std::array<bool, kKeyLightCount>& near) {
    std::array<uint8_t, kKeyLightCount> distances{};
    GridDistances(key, distances);
    for (int k = 0; k < kKeyLightCount; ++k) {
        if (distances[k] <= reach) {
            near[k] = true;
        }
    }
}

bool OnGrid(int key) { return key >= 0 && key < kKeyLightCount && KeyList().onGrid[key]; }

}  // namespace halvorn::lighting
