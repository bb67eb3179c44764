// The rows a player hands to the plug-in before each render call.
//
// Waveform: the 576 frames heard last, ending just before `position`, each
// sample taken to signed 8 bits as the top byte of a 16-bit sample would be
// (floor of sample times 128, clamped to -128..127). Frames before the start
// or past the end of the file are silence (0).
//
// Spectrum: a 512-point FFT of the newest 512 frames at `position` under a
// periodic Hann window. Each magnitude is taken relative to a full-scale sine
// (|X| / 128 for a sine of amplitude 1 centred on its bin) and put on a
// decibel scale: 0 dB reads 255, spectrumFloorDb and below read 0, linearly
// in between. Bins 1..256 (DC left out, Nyquist in) are spread over the 576
// bytes, byte i showing bin 1 + i * 256 / 576, so low bins appear two or three
// times in a row.
#include "host/audio/audio.h"
#include "host/audio/fft.h"

#include <cmath>
#include <complex>

namespace {

constexpr double spectrumFloorDb = -70.0;
constexpr int spectrumBins = fftSize / 2;

// The periodic Hann window of fftSize points, computed on first use.
const double* hannWindow() {
    static const struct Window {
        double w[fftSize];
        Window() {
            const double pi = 3.14159265358979323846;
            for (int n = 0; n < fftSize; ++n) w[n] = 0.5 - 0.5 * std::cos(2.0 * pi * n / fftSize);
        }
    } window;
    return window.w;
}

// The sample of `channel` (clamped to the file's channels) at frame `frame`
// counted back from `end`; 0 outside the file.
float sampleBefore(const DecodedAudio& audio, size_t frames, size_t end, size_t back, int channel) {
    if (back > end) return 0.0f;
    size_t frame = end - back;
    if (frame >= frames) return 0.0f;
    int source = channel < audio.channels ? channel : audio.channels - 1;
    return audio.samples[frame * audio.channels + source];
}

// A sample as a signed 8-bit waveform byte.
unsigned char waveformByte(float sample) {
    double value = std::floor(static_cast<double>(sample) * 128.0);
    if (!(value >= -128.0)) value = -128.0;  // NaN too
    if (value > 127.0) value = 127.0;
    return static_cast<unsigned char>(static_cast<signed char>(static_cast<int>(value)));
}

// An FFT magnitude as a spectrum byte on the decibel scale.
unsigned char spectrumByte(double magnitude) {
    double relative = magnitude / (fftSize / 4.0);
    if (!(relative > 0.0)) return 0;
    double level = 255.0 * (20.0 * std::log10(relative) - spectrumFloorDb) / -spectrumFloorDb;
    if (level <= 0.0) return 0;
    if (level >= 255.0) return 255;
    return static_cast<unsigned char>(std::lround(level));
}

}  // namespace

void prepareRows(const DecodedAudio& audio, size_t position,
                 unsigned char waveform[rowChannels][rowBytes],
                 unsigned char spectrum[rowChannels][rowBytes]) {
    size_t frames = audio.channels > 0 ? audio.samples.size() / audio.channels : 0;
    if (frames == 0) {
        for (int c = 0; c < rowChannels; ++c) {
            for (int i = 0; i < rowBytes; ++i) waveform[c][i] = spectrum[c][i] = 0;
        }
        return;
    }
    const double* window = hannWindow();
    for (int c = 0; c < rowChannels; ++c) {
        for (int i = 0; i < rowBytes; ++i) {
            waveform[c][i] = waveformByte(sampleBefore(audio, frames, position, rowBytes - i, c));
        }
        if (c > 0 && audio.channels == 1) {
            for (int i = 0; i < rowBytes; ++i) spectrum[c][i] = spectrum[0][i];
            continue;
        }
        std::complex<double> values[fftSize];
        for (int n = 0; n < fftSize; ++n) {
            values[n] = window[n] * sampleBefore(audio, frames, position, fftSize - n, c);
        }
        fft512(values);
        for (int i = 0; i < rowBytes; ++i) {
            int bin = 1 + i * spectrumBins / rowBytes;
            spectrum[c][i] = spectrumByte(std::abs(values[bin]));
        }
    }
}
