// The visualization thread's run: start, the frame loop, stop. Time comes from
// one of three clocks: the sound device (the position heard), the system's
// performance counter when there is no device, or, for a captured run and on
// request, a virtual clock that moves exactly one render interval per frame.
#include "host/visualization.h"

#include "host/capture.h"
#include "host/report.h"
#include "host/sound_output.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

static_assert(rowChannels == visDataRows && rowBytes == visDataBytes,
              "the rows the audio code prepares are the rows of the module record");

namespace {

enum class Clock { sound, counter, virtualFrames };

struct Run {
    Run(VisualizationRun& options, int interval)
        : options(options), module(options.module), playlist(*options.playlist),
          interval(interval), capturing(!options.captureDirectory.empty()),
          virtualClock(capturing || options.virtualClock) {}

    VisualizationRun& options;
    visModule* module;
    Playlist& playlist;
    int interval;                 // milliseconds between render calls
    bool capturing;
    bool virtualClock;            // frames follow each other without waiting
    SoundOutput sound;
    bool noDeviceSaid = false;

    size_t song = 0;              // playlist index playing now
    size_t songFrames = 0;        // its length in frames
    Clock clock = Clock::virtualFrames;
    long long songRenders = 0;    // render calls since the song began (virtual clock)
    double songStartMs = 0;       // counter time at which the song began

    HANDLE prefetch = nullptr;    // decodes the entries after the song playing now

    HWND captureWindow = nullptr;
    long long captureTotal = 0;   // frames the captured run will write
};

// Dispatches the thread's pending messages. Returns false once a quit message
// has come: the plug-in's window has been destroyed.
bool pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return false;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

// Waits until the counter reaches `due`, dispatching messages meanwhile.
// Returns false once a quit message has come.
bool waitUntil(double due) {
    for (;;) {
        if (!pumpMessages())
            return false;
        double now = counterMs();
        if (now >= due)
            return true;
        DWORD wait = static_cast<DWORD>(std::ceil(due - now));
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT) == WAIT_FAILED) {
            reportFailure("waiting for the next frame");
            Sleep(wait);
        }
    }
}

size_t frameCount(const DecodedAudio& audio) {
    return audio.samples.size() / audio.channels;
}

// Render calls a song lasts on the virtual clock: until interval × calls
// reaches its length.
long long rendersForSong(const DecodedAudio& audio, int interval) {
    long long perCall = static_cast<long long>(interval) * audio.sampleRate;
    return (static_cast<long long>(frameCount(audio)) * 1000 + perCall - 1) / perCall;
}

// Makes entry `index` the song playing now and starts its clock.
void beginSong(Run& run, size_t index) {
    const DecodedAudio& audio = run.playlist.audio(index);
    run.song = index;
    run.songFrames = frameCount(audio);
    run.songRenders = 0;
    run.songStartMs = counterMs();
    run.options.status->playlistIndex = static_cast<int>(index);
    run.options.status->lengthSeconds =
        static_cast<int>((run.songFrames + audio.sampleRate - 1) / audio.sampleRate);
    run.options.status->positionMs = 0;
    if (run.virtualClock) {
        run.clock = Clock::virtualFrames;
        return;
    }
    run.clock = Clock::counter;
    if (run.options.noSound)
        return;
    std::string error;
    if (run.sound.open(audio, error)) {
        run.clock = Clock::sound;
    } else if (!run.noDeviceSaid) {
        reportError("no sound output (" + error + "); keeping time with a clock instead");
        run.noDeviceSaid = true;
    }
}

// The next entry after `index` that can play, loading as it goes; the size of
// the playlist when none is left.
size_t nextPlayable(Run& run, size_t index) {
    while (index < run.playlist.size() && !run.playlist.load(index))
        ++index;
    return index;
}

DWORD WINAPI prefetchMain(void* parameter) {
    auto* run = static_cast<Run*>(parameter);
    nextPlayable(*run, run->song + 1);
    return 0;
}

// Waits until the entries after the song playing now have been decoded.
void finishPrefetch(Run& run) {
    if (!run.prefetch)
        return;
    if (WaitForSingleObject(run.prefetch, INFINITE) != WAIT_OBJECT_0)
        reportFailure("waiting for the next song to be decoded");
    CloseHandle(run.prefetch);
    run.prefetch = nullptr;
}

// Starts decoding the entries after the song playing now, up to the next one
// that can play, so that the frames do not stop while it is decoded. Where no
// thread can start, the decoding happens when the song is due.
void startPrefetch(Run& run) {
    finishPrefetch(run);
    if (run.song + 1 >= run.playlist.size())
        return;
    run.prefetch = CreateThread(nullptr, 0, prefetchMain, &run, 0, nullptr);
    if (!run.prefetch)
        reportFailure("starting to decode the next song");
}

// The frame of the song heard now.
size_t songPosition(Run& run) {
    const DecodedAudio& audio = run.playlist.audio(run.song);
    switch (run.clock) {
    case Clock::sound:
        return run.sound.framesHeard();
    case Clock::counter: {
        double elapsed = std::max(0.0, counterMs() - run.songStartMs);
        return static_cast<size_t>(elapsed * audio.sampleRate / 1000.0);
    }
    case Clock::virtualFrames:
    default:
        return static_cast<size_t>(run.songRenders * run.interval * audio.sampleRate / 1000);
    }
}

// Moves on while the song playing has been heard to its end. Returns the
// frame of the song heard now, or false in `playing` at the end of the list.
size_t advance(Run& run, bool& playing) {
    for (;;) {
        size_t position = songPosition(run);
        if (position < run.songFrames) {
            playing = true;
            return position;
        }
        run.sound.close();
        run.playlist.release(run.song);
        finishPrefetch(run);
        size_t next = nextPlayable(run, run.song + 1);
        if (next >= run.playlist.size() && run.options.repeat) {
            run.playlist.rewind();
            next = nextPlayable(run, 0);
        }
        if (next >= run.playlist.size()) {
            playing = false;
            return 0;
        }
        beginSong(run, next);
        if (!run.capturing)
            startPrefetch(run);
    }
}

// Writes the frame of the plug-in's window as the next PNG file.
bool captureFrame(Run& run, long long number) {
    if (!run.captureWindow || !IsWindow(run.captureWindow))
        run.captureWindow = findThreadWindow();
    if (!run.captureWindow) {
        reportError("the plug-in shows no window to capture");
        return false;
    }
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    if (!readWindowPixels(run.captureWindow, width, height, rgb) ||
        !writePng(framePath(run.options.captureDirectory, number), width, height, rgb))
        return false;
    std::printf("\rcaptured %lld frames, %lld to go ", number, run.captureTotal - number);
    std::fflush(stdout);
    return true;
}

// Processor time of the whole process in milliseconds, all its threads
// counted (the software renderer's among them); 0 when the system refuses.
double processCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

// The figures of one block of frames for --stats.
struct Block {
    double cpuMs = processCpuMs();
    double wallMs = counterMs();
};

// Prints the mean cost of the frames since `block` began and starts the next block.
void printBlock(Block& block, long long renders, long long frames) {
    Block now;
    std::printf("frames %lld: cpu %.3f ms, wall %.3f ms per frame\n", renders,
                (now.cpuMs - block.cpuMs) / static_cast<double>(frames),
                (now.wallMs - block.wallMs) / static_cast<double>(frames));
    std::fflush(stdout);
    block = now;
}

// Runs the frames from the first render call to the last; returns the exit code.
int frameLoop(Run& run) {
    const double runStartMs = counterMs();
    double dueMs = runStartMs;
    long long renders = 0;
    int exitCode = 0;
    const long long statsEvery = run.options.statsEvery;
    Block block;
    for (;;) {
        if (!pumpMessages())
            break;  // the plug-in's window was closed
        if (run.options.stopRequested && *run.options.stopRequested)
            break;
        if (run.options.frameLimit >= 0 && renders >= run.options.frameLimit)
            break;
        if (run.options.secondsLimit > 0) {
            double played = run.virtualClock ? static_cast<double>(renders) * run.interval
                                          : counterMs() - runStartMs;
            if (played >= run.options.secondsLimit * 1000)
                break;
        }
        bool playing = false;
        size_t position = advance(run, playing);
        if (!playing)
            break;  // the end of the playlist
        const DecodedAudio& audio = run.playlist.audio(run.song);
        // The virtual clock is exact in milliseconds; the others count frames.
        run.options.status->positionMs = static_cast<int>(
            run.clock == Clock::virtualFrames
                ? run.songRenders * run.interval
                : static_cast<long long>(position) * 1000 / audio.sampleRate);
        run.module->sampleRate = audio.sampleRate;
        run.module->channelCount = audio.channels;
        writeRows(run.module, audio, position);
        int answer = run.module->renderHook(run.module);
        ++renders;
        ++run.songRenders;
        if (statsEvery > 0 && renders % statsEvery == 0)
            printBlock(block, renders, statsEvery);
        if (answer != 0)
            break;  // the plug-in asks to stop
        if (run.capturing) {
            if (!captureFrame(run, renders)) {
                exitCode = 1;
                break;
            }
            continue;
        }
        if (run.virtualClock)
            continue;
        dueMs += run.interval;
        double now = counterMs();
        if (now > dueMs + run.interval)
            dueMs = now;  // fallen behind: no burst of frames to catch up
        if (!waitUntil(dueMs))
            break;
    }
    if (run.capturing && renders > 0)
        std::printf("\n%lld frames written to %s\n", renders, utf8(run.options.captureDirectory).c_str());
    return exitCode;
}

// Sets up and runs the visualization; returns the exit code.
int runVisualization(VisualizationRun& options) {
    visModule* module = options.module;
    module->parentWindow = options.playerWindow;
    module->libraryInstance = options.library;
    if (options.configOnly) {
        if (!module->configHook) {
            reportError("the module has no configure hook");
            return 1;
        }
        module->configHook(module);
        return 0;
    }
    if (!module->initHook || !module->renderHook || !module->quitHook) {
        reportError("the module lacks an initialise, render or quit hook");
        return 1;
    }

    Run run(options, renderInterval(module));
    size_t first = nextPlayable(run, 0);
    if (first >= run.playlist.size()) {
        reportError("nothing in the playlist can be played");
        return 1;
    }
    if (run.capturing) {
        if (!makeDirectory(options.captureDirectory))
            return 1;
        // Every entry is decoded before the first frame, so that the progress
        // line knows how many frames are to come.
        for (size_t index = first; index < run.playlist.size(); ++index)
            if (run.playlist.load(index))
                run.captureTotal += rendersForSong(run.playlist.audio(index), run.interval);
        if (options.repeat)
            run.captureTotal = LLONG_MAX;  // a bound is required with --repeat
        if (options.frameLimit >= 0)
            run.captureTotal = std::min(run.captureTotal, options.frameLimit);
        if (options.secondsLimit > 0)
            run.captureTotal = std::min(
                run.captureTotal,
                static_cast<long long>(std::ceil(options.secondsLimit * 1000 / run.interval)));
    }

    const DecodedAudio& audio = run.playlist.audio(first);
    module->sampleRate = audio.sampleRate;
    module->channelCount = audio.channels;
    run.song = first;
    options.status->playlistIndex = static_cast<int>(first);
    int answer = module->initHook(module);
    if (answer != 0) {
        reportError("the plug-in's initialise hook failed (it answered " + std::to_string(answer) + ")");
        return 1;
    }
    beginSong(run, first);
    if (!run.capturing)
        startPrefetch(run);
    int exitCode = frameLoop(run);
    run.sound.close();
    module->quitHook(module);
    finishPrefetch(run);
    return exitCode;
}

DWORD WINAPI visualizationMain(void* parameter) {
    auto* options = static_cast<VisualizationRun*>(parameter);
    options->exitCode = runVisualization(*options);
    return 0;
}

}  // namespace

void writeRows(visModule* module, const DecodedAudio& audio, size_t frame) {
    prepareRows(audio, frame, module->waveformBytes, module->spectrumBytes);
}

int renderInterval(const visModule* module) {
    return std::clamp(module->renderDelay, 1, 1000);
}

HANDLE startVisualization(VisualizationRun& run) {
    HANDLE thread = CreateThread(nullptr, 0, visualizationMain, &run, 0, nullptr);
    if (!thread)
        reportFailure("starting the visualization thread");
    return thread;
}

double counterMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
