// Decoding speed: decodes each file named on the command line a few times
// and prints how many times faster than real time it went, and the time
// prepareRows takes per frame.
#include "host/audio/audio.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        DecodedAudio audio;
        std::string error;
        const int runs = 5;
        double best = 1e9;
        for (int run = 0; run < runs; ++run) {
            auto start = Clock::now();
            bool ok = decodeAudio(data.data(), data.size(), audio, error);
            double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            if (!ok) {
                printf("%s: %s\n", argv[i], error.c_str());
                break;
            }
            if (seconds < best) best = seconds;
        }
        if (audio.samples.empty()) continue;
        double length = static_cast<double>(audio.samples.size() / audio.channels) / audio.sampleRate;
        unsigned char waveform[rowChannels][rowBytes], spectrum[rowChannels][rowBytes];
        size_t frames = audio.samples.size() / audio.channels;
        const int rowRuns = 2000;
        auto start = Clock::now();
        for (int run = 0; run < rowRuns; ++run) prepareRows(audio, (frames / rowRuns) * run, waveform, spectrum);
        double perRows = std::chrono::duration<double>(Clock::now() - start).count() / rowRuns;
        printf("%s: %.1f s of audio decoded in %.3f s (best of %d): %.0fx real time; rows %.1f us per frame\n",
               argv[i], length, best, runs, length / best, perRows * 1e6);
    }
    return 0;
}
