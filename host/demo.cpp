// The demo synthesiser: a few plain voices mixed into one float buffer. Noise
// comes from a fixed-seed generator, so every run yields the same samples.
#include "host/demo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

const char demoTitle[] = "Gyroquad demo - Cube in motion";

namespace {

constexpr int rate = 44100;
constexpr double beatSeconds = 0.5;   // 120 beats a minute
constexpr int bars = 16;              // 4 beats each: 32 seconds
constexpr double pi = 3.14159265358979323846;

struct Noise {
    uint32_t state = 0x12345678u;
    // Returns the next value, evenly spread over -1..1.
    double next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

void add(std::vector<float>& samples, size_t frame, double left, double right) {
    if (frame * 2 + 1 >= samples.size())
        return;
    samples[frame * 2] += static_cast<float>(left);
    samples[frame * 2 + 1] += static_cast<float>(right);
}

// A kick: a sine falling from 150 to 45 Hz under a fast decay.
void kick(std::vector<float>& samples, double start) {
    size_t first = static_cast<size_t>(start * rate);
    double phase = 0;
    for (int i = 0; i < rate * 3 / 10; ++i) {
        double t = static_cast<double>(i) / rate;
        double frequency = 45 + 105 * std::exp(-t / 0.03);
        phase += 2 * pi * frequency / rate;
        double value = 0.9 * std::sin(phase) * std::exp(-t / 0.12);
        add(samples, first + i, value, value);
    }
}

// A burst of noise: a clap when long, a hi-hat when short and thinned out.
void noiseHit(std::vector<float>& samples, Noise& noise, double start, double decay,
              double level, double pan, bool bright) {
    size_t first = static_cast<size_t>(start * rate);
    double previous = 0;
    for (int i = 0; i < static_cast<int>(decay * 6 * rate); ++i) {
        double t = static_cast<double>(i) / rate;
        double white = noise.next();
        double value = bright ? white - previous : white;  // a difference leaves the highs
        previous = white;
        value *= level * std::exp(-t / decay);
        add(samples, first + i, value * (1 - pan), value * (1 + pan));
    }
}

// A bass note: a square wave softened by its own first harmonic, plucked.
void bassNote(std::vector<float>& samples, double start, double length, double frequency) {
    size_t first = static_cast<size_t>(start * rate);
    double phase = 0;
    for (int i = 0; i < static_cast<int>(length * rate); ++i) {
        double t = static_cast<double>(i) / rate;
        phase += 2 * pi * frequency / rate;
        double square = std::sin(phase) + std::sin(3 * phase) / 3 + std::sin(5 * phase) / 5;
        double envelope = std::min(1.0, t / 0.005) * std::exp(-t / 0.25) *
                          std::min(1.0, (length - t) / 0.01);
        double value = 0.35 * square * envelope;
        add(samples, first + i, value, value);
    }
}

// A sweep: a sine rising from `from` to `to` Hz on an exponential path, moving
// from the left channel to the right.
void sweep(std::vector<float>& samples, double start, double length, double from, double to) {
    size_t first = static_cast<size_t>(start * rate);
    double phase = 0;
    int count = static_cast<int>(length * rate);
    for (int i = 0; i < count; ++i) {
        double along = static_cast<double>(i) / count;
        double frequency = from * std::pow(to / from, along);
        phase += 2 * pi * frequency / rate;
        double envelope = std::sin(pi * along);
        double value = 0.3 * std::sin(phase) * envelope;
        add(samples, first + i, value * (1 - along), value * along);
    }
}

}  // namespace

void synthesizeDemo(DecodedAudio& audio) {
    audio.sampleRate = rate;
    audio.channels = 2;
    audio.title = demoTitle;
    const double seconds = bars * 4 * beatSeconds;
    audio.samples.assign(static_cast<size_t>(seconds * rate) * 2, 0.0f);
    std::vector<float>& samples = audio.samples;
    Noise noise;

    // A minor progression, one root a bar: A, F, C, G.
    const double roots[4] = {55.0, 43.65, 65.41, 49.0};
    const int pattern[8] = {0, 0, 12, 0, 7, 0, 12, 10};  // semitones over the root, in eighths
    for (int bar = 0; bar < bars; ++bar) {
        const bool breakdown = bar == 10 || bar == 11;
        double barStart = bar * 4 * beatSeconds;
        for (int beat = 0; beat < 4; ++beat) {
            double beatStart = barStart + beat * beatSeconds;
            if (!breakdown)
                kick(samples, beatStart);
            if (bar >= 1 && !breakdown && (beat == 1 || beat == 3))
                noiseHit(samples, noise, beatStart, 0.05, 0.35, 0.0, false);
            if (bar >= 2)
                for (int half = 0; half < 2; ++half)
                    noiseHit(samples, noise, beatStart + half * beatSeconds / 2, 0.012, 0.25,
                             half ? 0.4 : -0.4, true);
        }
        for (int eighth = 0; eighth < 8; ++eighth) {
            double frequency = roots[bar % 4] * std::pow(2.0, pattern[eighth] / 12.0);
            bassNote(samples, barStart + eighth * beatSeconds / 2, beatSeconds / 2, frequency);
        }
        if (bar % 4 == 2)
            sweep(samples, barStart, 8 * beatSeconds, 150, 6000);
        if (breakdown && bar == 10)
            sweep(samples, barStart, 8 * beatSeconds, 3000, 80);
    }

    float peak = 0;
    for (float value : samples)
        peak = std::max(peak, std::fabs(value));
    if (peak > 0)
        for (float& value : samples)
            value *= 0.9f / peak;
}
