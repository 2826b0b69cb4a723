#include "models/lighting/light_tables.h"

#include <algorithm>

namespace halvorn::lighting {
namespace {

constexpr int kSegment = 32;

// The rising channel of a segment: 1 at its start, 81 halfway and just short
// of 255 at its end, so that the next segment can start at full.
constexpr uint8_t Rising(int step) {
    return static_cast<uint8_t>(1 + step * (528 + 47 * step) / 256);
}

// The falling channel: 248 at the segment's start, 0 at its last step.
constexpr uint8_t Falling(int step) { return static_cast<uint8_t>(248 - 8 * step); }

constexpr std::array<Rgb, kWheelSize + 1> MakeWheel() {
    std::array<Rgb, kWheelSize + 1> wheel{};
    for (int i = 0; i < kWheelSize; ++i) {
        const int step = i % kSegment;
        const uint8_t up = Rising(step);
        const uint8_t down = Falling(step);
        switch (i / kSegment) {
            case 0:
                wheel[i] = {255, up, 0};
                break;
            case 1:
                wheel[i] = {down, 255, 0};
                break;
            case 2:
                wheel[i] = {0, 255, up};
                break;
            case 3:
                wheel[i] = {0, down, 255};
                break;
            case 4:
                wheel[i] = {up, 0, 255};
                break;
            default:
                wheel[i] = {255, 0, down};
                break;
        }
    }
    wheel[kWheelSize] = wheel[0];
    return wheel;
}

constexpr std::array<uint8_t, 128> MakePulse() {
    constexpr std::array<uint8_t, 64> kRise = {
        0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
        22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
        77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
        158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
    std::array<uint8_t, 128> pulse{};
    for (int i = 0; i < 64; ++i) {
        pulse[i] = kRise[i];
        pulse[127 - i] = kRise[i];
    }
    return pulse;
}

constexpr std::array<uint8_t, 128> kPulse = MakePulse();

constexpr std::array<uint8_t, 96> MakeWave() {
    std::array<uint8_t, 96> wave{};
    for (int i = 0; i < 96; ++i) {
        wave[i] = kPulse[16 + i];
    }
    return wave;
}

constexpr int ClampLevel(int level) { return std::clamp(level, 0, 4); }

constexpr uint8_t N = kNoKey;

}  // namespace

const std::array<Rgb, kWheelSize + 1> kColorWheel = MakeWheel();

Rgb WheelColor(int index) {
    int wrapped = index % kWheelSize;
    if (wrapped < 0) {
        wrapped += kWheelSize;
    }
    return kColorWheel[wrapped];
}

const std::array<Rgb, 4> kFourColors = {Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255},
                                        Rgb{255, 0, 0}};

const std::array<uint8_t, 128> kPulseCurve = kPulse;
const std::array<uint8_t, 96> kWaveCurve = MakeWave();

const std::array<uint8_t, 23> kFirstRamp = {255, 242, 229, 216, 203, 190, 177, 164,
                                            151, 138, 125, 112, 99,  86,  80,  75,
                                            68,  61,  55,  48,  34,  22,  10};
const std::array<uint8_t, 23> kSecondRamp = {255, 242, 229, 216, 203, 190, 177, 164,
                                             151, 138, 125, 112, 99,  86,  73,  60,
                                             47,  34,  21,  8,   4,   2,   0};

const std::array<uint8_t, 5> kBrightnessLevels = {0, 80, 135, 195, 255};

uint8_t BrightnessMultiplier(int level) { return kBrightnessLevels[ClampLevel(level)]; }

int SlowPeriod(int speedLevel) {
    static constexpr std::array<int, 5> kPeriods = {8, 6, 4, 2, 1};
    return kPeriods[ClampLevel(speedLevel)];
}

int CommonPeriod(int speedLevel) { return kCommonPeriods[ClampLevel(speedLevel)]; }

int BlinkIntervalMs(int speedLevel) { return SlowPeriod(speedLevel) * 200; }

const std::array<std::array<uint8_t, kGridRows>, kGridColumns> kLightGrid = {{
    {N, N, N, N, 84, 105},     {N, 21, 42, 63, 102, 106}, {0, 22, 43, 64, 85, 107},
    {1, 23, 44, 65, 86, N},    {2, 24, 45, 66, 87, N},    {3, 25, 46, 67, 88, N},
    {4, 26, 47, 68, 89, 108},  {N, 27, 48, 69, 90, N},    {5, 28, 49, 70, 91, N},
    {6, 29, 50, 71, 92, 109},  {7, 30, 51, 72, 93, 109},  {8, 31, 52, 73, 94, 110},
    {9, 32, 53, 74, N, 111},   {10, 33, 54, N, N, N},     {11, 34, 55, 75, 95, 112},
    {12, 34, 55, N, 95, 112},  {13, N, N, N, N, 113},     {35, N, 57, N, 96, 114},
    {15, N, N, N, N, 115},     {36, 38, 59, 76, 97, 116}, {56, 39, 60, 77, 98, 116},
    {37, 40, 61, 78, 99, 117}, {58, 41, N, 119, 118, N},
}};

const std::array<std::array<uint8_t, 12>, kRingCount> kRingTable = {{
    {51, N, N, N, N, N, N, N, N, N, N, N},
    {30, 50, 71, 72, 52, 31, N, N, N, N, N, N},
    {8, 29, 49, 70, 91, 92, 93, 73, 53, 32, N, N},
    {7, 28, 48, 69, 90, 109, 94, 74, 54, 33, 9, N},
    {6, 27, 47, 68, 89, 110, 95, 75, 55, 34, 10, 11},
    {5, 26, 46, 67, 88, 108, 111, 112, 12, N, N, N},
    {4, 25, 45, 66, 87, 113, 96, 57, 36, 13, N, N},
    {3, 24, 44, 65, 86, 114, 115, 15, 35, N, N, N},
    {2, 23, 43, 64, 85, 107, 97, 76, 59, 38, N, N},
    {1, 22, 42, 63, 84, 106, 116, 98, 77, 60, 39, 102},
    {0, 21, 105, 117, 99, 78, 61, 40, 37, 56, N, N},
    {118, 119, 41, 58, N, N, N, N, N, N, N, N},
}};

}  // namespace halvorn::lighting
