#include "models/lighting/wave_planes.h"

#include "models/lighting/effect_draw.h"
#include "models/lighting/light_tables.h"

namespace halvorn::lighting {

void MarkKeyInPlanes(WavePlanes& planes, int keyIndex) {
    ForEachGridCell([&](int column, int row, int key) {
        if (key == keyIndex) {
            MarkCellInPlanes(planes, column, row);
        }
    });
}

void MarkCellInPlanes(WavePlanes& planes, int column, int row) {
    if (column < 0 || column >= kGridColumns || row < 0 || row >= 8) {
        return;
    }
    for (auto& plane : planes) {
        plane[column] = static_cast<uint8_t>(plane[column] | (1u << row));
    }
}

void ApplyWavePlanes(EffectState& state, bool colourCycle) {
    // A key may sit in two cells: decide per key first, so that its unmarked
    // cell does not fade what its marked cell lit.
    std::array<bool, kKeyLightCount> marked{};
    ForEachGridCell([&](int column, int row, int key) {
        for (const auto& plane : state.planes) {
            if ((plane[column] >> row) & 1u) {
                marked[key] = true;
            }
        }
    });
    for (int key = 0; key < kKeyLightCount; ++key) {
        if (!marked[key]) {
            state.level[key] = FallBack(state.level[key]);
            continue;
        }
        // A key that stays marked keeps the colour it was lit with.
        if (colourCycle && state.level[key] != 255) {
            state.colorIndex[key] = RandomWheelIndex(state);
        }
        state.level[key] = 255;
    }
}

void AdvanceWavePlanes(WavePlanes& planes) {
    const WavePlanes old = planes;
    ClearWavePlanes(planes);
    for (int column = 0; column < kGridColumns; ++column) {
        if (column > 0) {
            planes[0][column - 1] = static_cast<uint8_t>(old[0][column] >> 1);
            planes[1][column - 1] = static_cast<uint8_t>(old[1][column] << 1);
        }
        if (column + 1 < kGridColumns) {
            planes[2][column + 1] = static_cast<uint8_t>(old[2][column] >> 1);
            planes[3][column + 1] = static_cast<uint8_t>(old[3][column] << 1);
        }
    }
}

void ClearWavePlanes(WavePlanes& planes) {
    for (auto& plane : planes) {
        plane.fill(0);
    }
}

bool PlanesEmpty(const WavePlanes& planes) {
    for (const auto& plane : planes) {
        for (uint8_t bits : plane) {
            if (bits != 0) {
                return false;
            }
        }
    }
    return true;
}

uint8_t FallBack(uint8_t level) {
    // The bands of the reactive key decay: a lit key dims in about 17 frames,
    // the last sixteenth slowly.
    if (level >= 128) return static_cast<uint8_t>(level - 40);
    if (level >= 64) return static_cast<uint8_t>(level - 30);
    if (level >= 32) return static_cast<uint8_t>(level - 10);
    if (level >= 17) return static_cast<uint8_t>(level - 8);
    if (level >= 1) return static_cast<uint8_t>(level - 1);
    return 0;
}

}  // namespace halvorn::lighting
