// The host-driven effects: music (29), seven renderers of the 25-band
// spectrum chosen by the audio style, and the colour input (30). The inputs
// arrive from the audio companion and are checked here: negative or huge
// values are clamped, short inputs overwrite only the start.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "models/lighting/effect_steps.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting {
namespace {

constexpr int kMusicEffect = 29;
constexpr int kBeatStyle = 2;
constexpr int kStyleCount = 7;
constexpr int kBeatKey = 51;
constexpr int64_t kBeatThreshold = 71;

// A band value at which a bar is full: the scale the beat arithmetic uses.
constexpr int64_t kFullScale = 2000;
// Bars rise at once and fall by this much per step, so they do not flicker.
constexpr int kBandFall = 12;
constexpr int kPeakFall = 4;

// What the four history buffers hold.
constexpr size_t kSmoothed = 0;  // 25 band levels 0..255
constexpr size_t kPeaks = 1;     // 23 column peaks of the bars
constexpr size_t kScroll = 2;    // 23 loudness values, the newest at the right
constexpr size_t kRowPeaks = 3;  // 6 row peaks of the row meters

struct Palette {
    Rgb back;
    Rgb fore;
    bool cycle = false;  // the foreground takes wheel colours
    uint8_t multiplier = 0;
};

uint8_t BandLevel(int32_t value) {
    const int64_t v = std::clamp<int64_t>(value, 0, kFullScale);
    return static_cast<uint8_t>(v * 255 / kFullScale);
}

// Intensity t (0..255) of the foreground over the background, at the Light
// multiplier. On a black background the colour stays whole and the
// brightness carries t, which the preview shows as the dot's opacity.
void Paint(LedSpan leds, int key, const Palette& palette, Rgb fore, uint8_t t) {
    if (key < 0 || static_cast<size_t>(key) >= leds.size()) {
        return;
    }
    LedEntry& led = leds[static_cast<size_t>(key)];
    if (palette.back == Rgb{}) {
        SetLed(led, fore, Scale(t, palette.multiplier));
        return;
    }
    const auto mix = [t](uint8_t from, uint8_t to) {
        return static_cast<uint8_t>(from + (static_cast<int>(to) - from) * t / 255);
    };
    SetLed(led,
           {mix(palette.back.red, fore.red), mix(palette.back.green, fore.green),
            mix(palette.back.blue, fore.blue)},
           palette.multiplier);
}

void PaintCell(LedSpan leds, int column, int row, const Palette& palette, Rgb fore, uint8_t t) {
    const uint8_t key = kLightGrid[static_cast<size_t>(column)][static_cast<size_t>(row)];
    if (key != kNoKey) {
        Paint(leds, key, palette, fore, t);
    }
}

Rgb Fore(const Palette& palette, int hue) { return palette.cycle ? WheelColor(hue) : palette.fore; }

const std::array<uint8_t, 100>& Smoothed(const EffectState& state) {
    return state.spectrumHistory[kSmoothed];
}

// The loudest of the bands [first, last].
uint8_t MaxBand(const EffectState& state, int first, int last) {
    const auto& bands = Smoothed(state);
    return *std::max_element(bands.begin() + first, bands.begin() + last + 1);
}

// Column c covers the bands c * 25 / 23 .. ((c + 1) * 25 - 1) / 23.
uint8_t ColumnLevel(const EffectState& state, int column) {
    return MaxBand(state, column * kSpectrumBands / kGridColumns,
                   ((column + 1) * kSpectrumBands - 1) / kGridColumns);
}

// Halfway between the mean and the loudest band: music keeps most of its
// energy in a few bands.
uint8_t Loudness(const EffectState& state) {
    const auto& bands = Smoothed(state);
    int sum = 0;
    for (int b = 0; b < kSpectrumBands; ++b) {
        sum += bands[static_cast<size_t>(b)];
    }
    return static_cast<uint8_t>((sum / kSpectrumBands + MaxBand(state, 0, kSpectrumBands - 1)) / 2);
}

// Rows (or rings) of `count` lit in proportion to a level, rounded.
int Rows(uint8_t level, int count) { return (level * count + 127) / 255; }

// Style 0, bars: 23 columns rise from the bottom with their bands, green to
// red (colour cycle) or the foreground colour, a peak mark above each bar.
void RenderBars(EffectState& state, const Palette& palette, LedSpan leds) {
    auto& peaks = state.spectrumHistory[kPeaks];
    for (int c = 0; c < kGridColumns; ++c) {
        const uint8_t level = ColumnLevel(state, c);
        uint8_t& peak = peaks[static_cast<size_t>(c)];
        peak = std::max<uint8_t>(level, peak > kPeakFall ? peak - kPeakFall : 0);
        const int height = Rows(level, kGridRows);
        for (int h = 0; h < height; ++h) {
            PaintCell(leds, c, kGridRows - 1 - h, palette, Fore(palette, 64 - h * 12), 255);
        }
        const int peakHeight = Rows(peak, kGridRows);
        if (peakHeight > height) {
            PaintCell(leds, c, kGridRows - peakHeight, palette, Fore(palette, 0), 160);
        }
    }
}

// Style 1, rings: the bass lights rings from the centre key outward, fading
// toward the edge.
void RenderRings(EffectState& state, const Palette& palette, LedSpan leds) {
    const int rings = Rows(MaxBand(state, 0, 7), kRingCount);
    state.phase = static_cast<uint8_t>((state.phase + 1) % kWheelSize);
    for (int r = 0; r < rings; ++r) {
        const auto t = static_cast<uint8_t>(255 - r * 12);
        for (uint8_t key : kRingTable[static_cast<size_t>(r)]) {
            if (key != kNoKey) {
                Paint(leds, key, palette, Fore(palette, state.phase + r * 16), t);
            }
        }
    }
}

// Style 2, beat ripple: every beat counted by the spectrum input sends a
// ripple out of the centre key.
void RenderBeatRipple(EffectState& state, const Palette& palette, LedSpan leds) {
    ApplyWavePlanes(state, palette.cycle);
    AdvanceWavePlanes(state.planes);
    for (int k = 0; k < kKeyLightCount; ++k) {
        const auto key = static_cast<size_t>(k);
        if (state.level[key] != 0) {
            Paint(leds, k, palette, Fore(palette, state.colorIndex[key]), state.level[key]);
        }
    }
}

// Style 3, pulse: the whole keyboard follows the loudness in a wheel colour
// that turns faster the louder it gets (this style has no colour setting).
void RenderPulse(EffectState& state, const Palette& palette, LedSpan leds) {
    const uint8_t loudness = Loudness(state);
    state.phase = static_cast<uint8_t>((state.phase + loudness / 64) % kWheelSize);
    const Palette own{{}, {}, true, palette.multiplier};
    for (int k = 0; k < kKeyLightCount; ++k) {
        Paint(leds, k, own, WheelColor(state.phase), loudness);
    }
}

// Style 4, column glow: each column glows with its band, in the band's wheel
// colour (colour cycle) or the foreground colour.
void RenderColumnGlow(EffectState& state, const Palette& palette, LedSpan leds) {
    for (int c = 0; c < kGridColumns; ++c) {
        const uint8_t level = ColumnLevel(state, c);
        const Rgb fore = Fore(palette, c * kWheelSize / kGridColumns);
        for (int r = 0; r < kGridRows; ++r) {
            PaintCell(leds, c, r, palette, fore, level);
        }
    }
}

// Style 5, row meters: six band groups, the bass on the bottom row, each lit
// from the left in proportion, green to red along the row (colour cycle).
void RenderRowMeters(EffectState& state, const Palette& palette, LedSpan leds) {
    auto& peaks = state.spectrumHistory[kRowPeaks];
    for (int r = 0; r < kGridRows; ++r) {
        const int group = kGridRows - 1 - r;
        const uint8_t level = MaxBand(state, group * kSpectrumBands / kGridRows,
                                      ((group + 1) * kSpectrumBands - 1) / kGridRows);
        uint8_t& peak = peaks[static_cast<size_t>(r)];
        peak = std::max<uint8_t>(level, peak > kPeakFall ? peak - kPeakFall : 0);
        const int length = Rows(level, kGridColumns);
        for (int c = 0; c < length; ++c) {
            PaintCell(leds, c, r, palette, Fore(palette, 64 - c * 64 / (kGridColumns - 1)), 255);
        }
        const int peakLength = Rows(peak, kGridColumns);
        if (peakLength > length) {
            PaintCell(leds, peakLength - 1, r, palette, Fore(palette, 0), 160);
        }
    }
}

// Style 6, scrolling loudness: the loudness moves from right to left, one
// column per step, each column a bar centred on the middle rows.
void RenderScroll(EffectState& state, const Palette& palette, LedSpan leds) {
    auto& history = state.spectrumHistory[kScroll];
    std::copy(history.begin() + 1, history.begin() + kGridColumns, history.begin());
    history[kGridColumns - 1] = Loudness(state);
    state.phase = static_cast<uint8_t>((state.phase + 1) % kWheelSize);
    for (int c = 0; c < kGridColumns; ++c) {
        const int half = (Rows(history[static_cast<size_t>(c)], kGridRows) + 1) / 2;
        const Rgb fore = Fore(palette, state.phase + c * 8);
        for (int r = kGridRows / 2 - half; r < kGridRows / 2 + half; ++r) {
            PaintCell(leds, c, r, palette, fore, 255);
        }
    }
}

using Renderer = void (*)(EffectState&, const Palette&, LedSpan);
constexpr std::array<Renderer, kStyleCount> kRenderers = {
    RenderBars,       RenderRings,     RenderBeatRipple, RenderPulse,
    RenderColumnGlow, RenderRowMeters, RenderScroll,
};

void UpdateSmoothed(EffectState& state) {
    auto& smoothed = state.spectrumHistory[kSmoothed];
    for (size_t b = 0; b < kSpectrumBands; ++b) {
        const uint8_t level = BandLevel(state.spectrum[b]);
        smoothed[b] =
            std::max<uint8_t>(level, smoothed[b] > kBandFall ? smoothed[b] - kBandFall : 0);
    }
}

uint8_t ClampChannel(int32_t value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// One input's share of the beat total: a loud spectrum counts up to 25,
// silence 0.
int64_t BeatShare(const std::array<int32_t, kSpectrumBands>& spectrum) {
    int64_t sum = 0;
    for (int32_t value : spectrum) {
        const int64_t scaled = static_cast<int64_t>(std::max(value, 0)) * 600 / 2000;
        sum += scaled > 600 ? 500 : 600 - scaled;
    }
    const int64_t mean = sum / kSpectrumBands;
    return 25 - mean * 25 / 600;
}

}  // namespace

void SpectrumInput(EffectState& state, int effect, const AudioLightRecord& audio,
                   std::span<const int32_t> bands) {
    const size_t count = std::min(bands.size(), static_cast<size_t>(kSpectrumBands));
    for (size_t i = 0; i < count; ++i) {
        state.spectrum[i] = std::max(bands[i], 0);
    }
    if (effect != kMusicEffect || audio.audioMode != kBeatStyle) {
        return;
    }
    // A total left out of range by anything else starts again.
    const int64_t total =
        std::clamp<int64_t>(state.beatTotal, 0, kBeatThreshold) + BeatShare(state.spectrum);
    if (total >= kBeatThreshold) {
        state.beatTotal = 0;
        MarkKeyInPlanes(state.planes, kBeatKey);
    } else {
        state.beatTotal = static_cast<int32_t>(total);
    }
}

void ColorInput(EffectState& state, std::span<const int32_t> values) {
    const size_t count = std::min(values.size(), state.colorInput.size());
    std::copy_n(values.begin(), count, state.colorInput.begin());
}

void steps::Music(EffectState& state, const EffectContext& context, LedSpan leds) {
    const AudioLightRecord& audio = context.audio;
    const Palette palette{{audio.backRed, audio.backGreen, audio.backBlue},
                          {audio.foreRed, audio.foreGreen, audio.foreBlue},
                          audio.sevenColorFlags != 0,
                          BrightnessMultiplier(context.record.light)};
    UpdateSmoothed(state);
    const size_t count = std::min(leds.size(), static_cast<size_t>(kKeyLightCount));
    for (size_t i = 0; i < count; ++i) {
        Paint(leds, static_cast<int>(i), palette, palette.back, 0);
    }
    const int style = audio.audioMode < kStyleCount ? audio.audioMode : 0;
    kRenderers[static_cast<size_t>(style)](state, palette, leds.first(count));
}

void steps::MusicColour(EffectState& state, const EffectContext& context, LedSpan leds) {
    const Rgb colour{ClampChannel(state.colorInput[0]), ClampChannel(state.colorInput[1]),
                     ClampChannel(state.colorInput[2])};
    const uint8_t multiplier = BrightnessMultiplier(context.record.light);
    const size_t count = std::min(leds.size(), static_cast<size_t>(kKeyLightCount));
    for (size_t i = 0; i < count; ++i) {
        SetLed(leds[i], colour, multiplier);
    }
}

}  // namespace halvorn::lighting
