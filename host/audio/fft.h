// The transform behind the spectrum rows: a radix-2 FFT of a fixed size.
#pragma once

#include <complex>

constexpr int fftSize = 512;

// Transforms values in place (fftSize points, forward, unscaled).
void fft512(std::complex<double> values[fftSize]);
