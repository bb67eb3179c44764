// An iterative radix-2 decimation-in-time FFT of 512 points, with the
// twiddle factors and the bit-reversed order computed once.
#include "host/audio/fft.h"

#include <cmath>

namespace {

struct FftTables {
    std::complex<double> twiddle[fftSize / 2];
    int reversed[fftSize];
    FftTables() {
        const double pi = 3.14159265358979323846;
        for (int k = 0; k < fftSize / 2; ++k) twiddle[k] = std::polar(1.0, -2.0 * pi * k / fftSize);
        int bits = 0;
        while ((1 << bits) < fftSize) ++bits;
        for (int i = 0; i < fftSize; ++i) {
            int r = 0;
            for (int b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
            reversed[i] = r;
        }
    }
};

// The tables, computed on first use.
const FftTables& tables() {
    static const FftTables t;
    return t;
}

}  // namespace

void fft512(std::complex<double> values[fftSize]) {
    const FftTables& t = tables();
    for (int i = 0; i < fftSize; ++i) {
        if (i < t.reversed[i]) std::swap(values[i], values[t.reversed[i]]);
    }
    for (int span = 2; span <= fftSize; span *= 2) {
        int half = span / 2;
        int stride = fftSize / span;
        for (int start = 0; start < fftSize; start += span) {
            for (int k = 0; k < half; ++k) {
                std::complex<double> odd = values[start + k + half] * t.twiddle[k * stride];
                values[start + k + half] = values[start + k] - odd;
                values[start + k] += odd;
            }
        }
    }
}
