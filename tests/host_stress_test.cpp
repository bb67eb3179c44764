// The host under a user who closes the real plug-in's window at any moment
// of a playlist: through the forwarding plug-in, which counts the real
// hooks, every run must see the quit hook exactly once and end with status 0.
// HOST_STRESS_RUNS sets the number of runs (5 in the test command, 50 in
// scripts/stress-host), HOST_STRESS_SEED the random moments.
#include "tests/host/host_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

int envNumber(const char* name, int otherwise) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : otherwise;
}

// A changing signal: a sweep whose pitch depends on `seed`, with some noise.
std::vector<float> song(int rate, int channels, double seconds, int seed) {
    size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<float> samples(frames * channels);
    uint32_t state = static_cast<uint32_t>(seed);
    for (size_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        double t = static_cast<double>(i) / rate;
        double sweep = 0.5 * std::sin(2 * 3.14159265358979 * (100 * seed + 400 * t) * t);
        for (int c = 0; c < channels; ++c)
            samples[i * channels + c] = static_cast<float>(sweep + (c ? 0.2 : -0.2) * (static_cast<int32_t>(state) / 2147483648.0));
    }
    return samples;
}

TEST(HostStress, ClosingTheRealPluginsWindowAtRandomMomentsRunsTheQuitHookOnce) {
    const int runs = envNumber("HOST_STRESS_RUNS", 5);
    const unsigned seed = static_cast<unsigned>(envNumber("HOST_STRESS_SEED", static_cast<int>(GetTickCount() & 0x7fffffff)));
    std::printf("HOST_STRESS_SEED=%u, %d runs\n", seed, runs);
    std::mt19937 random(seed);
    // Three short songs of different shapes, so that a close can fall into
    // any of them or on a change of song; a few closes come after the end.
    std::string dir = testDirectory();
    const std::vector<std::string> playlist = {dir + "\\one.wav", dir + "\\two.wav", dir + "\\three.wav"};
    writeWav(playlist[0], 44100, 2, song(44100, 2, 1.2, 1));
    writeWav(playlist[1], 22050, 1, song(22050, 1, 1.0, 2));
    writeWav(playlist[2], 8000, 2, song(8000, 2, 1.1, 3));
    std::vector<std::string> args = {"--plugin", "forward_plugin.dll", "--no-sound"};
    args.insert(args.end(), playlist.begin(), playlist.end());

    int closed = 0;
    int ended = 0;
    long long renderTotal = 0;
    for (int i = 0; i < runs; ++i) {
        const int delayMs = std::uniform_int_distribution<int>(0, 3000)(random);
        SCOPED_TRACE("run " + std::to_string(i) + ", close " + std::to_string(delayMs) +
                     " ms after the window showed, HOST_STRESS_SEED=" + std::to_string(seed));
        std::string log = dir + "\\forward-" + std::to_string(i) + ".log";
        bool posted = false;
        HostRun run = runHost(args, {{"FORWARD_LOG", log}}, [&](HANDLE process) {
            HWND window = nullptr;
            for (int wait = 0; wait < 3000 && !window && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; ++wait) {
                window = FindWindowA("DravikVis", nullptr);
                if (!window)
                    Sleep(10);
            }
            ASSERT_NE(window, nullptr) << "the plug-in's window never showed";
            if (WaitForSingleObject(process, delayMs) == WAIT_TIMEOUT)
                posted = PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;  // the close box
        });
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_EQ(run.output, "") << "no error line";
        std::vector<ProbeEvent> events = readProbeLog(log);
        int inits = 0;
        int quits = 0;
        for (const ProbeEvent& event : events) {
            inits += event.kind == "init";
            quits += event.kind == "quit";
            if (event.kind == "quit")
                renderTotal += event.number("renders");
        }
        EXPECT_EQ(inits, 1);
        EXPECT_EQ(quits, 1) << "the quit hook runs exactly once";
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().kind, "quit") << "nothing runs after the quit hook";
        (posted ? closed : ended) += 1;
    }
    std::printf("%d runs: %d closed by the user while playing, %d ended by the playlist before the close came, "
                "%lld frames in all; %s\n",
                runs, closed, ended, renderTotal, testing::Test::HasFailure() ? "FAILED" : "all passed");
}

}  // namespace
