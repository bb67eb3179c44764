// The host's own cost per frame, measured: the rows written into the module
// record, and the status queries answered across threads as a plug-in sends
// them. Printed as time per frame and as a share of the render interval.
#include "host/demo.h"
#include "host/player_window.h"
#include "host/visualization.h"

#include <cstdio>
#include <vector>

namespace {

double nowMicroseconds() {
    return counterMs() * 1000.0;
}

struct QueryRun {
    HWND player;
    int frames;
    bool slow;  // all four queries, as in the first second of a song
    double microseconds;
};

DWORD WINAPI sendQueries(void* parameter) {
    auto* run = static_cast<QueryRun*>(parameter);
    double start = nowMicroseconds();
    for (int i = 0; i < run->frames; ++i) {
        SendMessageA(run->player, visStatusMessage, 0, visCodePositionOrLength);
        if (!run->slow)
            continue;
        SendMessageA(run->player, visStatusMessage, 1, visCodePositionOrLength);
        LRESULT index = SendMessageA(run->player, visStatusMessage, 0, visCodePlaylistIndex);
        SendMessageA(run->player, visStatusMessage, index, visCodeTitle);
    }
    run->microseconds = nowMicroseconds() - start;
    return 0;
}

// Time per frame of the status queries, sent from a second thread to the
// player window that the calling thread dispatches for.
double queryCost(HWND player, bool slow, int frames) {
    QueryRun run = {player, frames, slow, 0};
    HANDLE thread = CreateThread(nullptr, 0, sendQueries, &run, 0, nullptr);
    if (!thread)
        return -1;
    runPlayerLoop(thread);
    CloseHandle(thread);
    return run.microseconds / frames;
}

}  // namespace

int main() {
    Playlist playlist;
    playlist.addDemo();
    playlist.load(0);
    const DecodedAudio& audio = playlist.audio(0);
    PlayerStatus status;
    HWND player = createPlayerWindow(status, playlist);
    if (!player)
        return 1;

    static visModule module = {};
    const int interval = 25;
    const size_t step = static_cast<size_t>(audio.sampleRate) * interval / 1000;
    const size_t frames = audio.samples.size() / audio.channels;
    const int calls = 4000;
    for (size_t position = 0, i = 0; i < 200; ++i, position = (position + step) % frames)
        writeRows(&module, audio, position);  // warm-up
    double start = nowMicroseconds();
    for (size_t position = 0, i = 0; i < calls; ++i, position = (position + step) % frames)
        writeRows(&module, audio, position);
    double rows = (nowMicroseconds() - start) / calls;

    // The answers themselves, without the crossing between threads.
    volatile LRESULT sink = 0;
    start = nowMicroseconds();
    for (int i = 0; i < calls; ++i) {
        sink = sink + answerStatusQuery(status, playlist, 0, visCodePositionOrLength);
        sink = sink + answerStatusQuery(status, playlist, 1, visCodePositionOrLength);
        sink = sink + answerStatusQuery(status, playlist, 0, visCodePlaylistIndex);
        sink = sink + answerStatusQuery(status, playlist, 0, visCodeTitle);
    }
    double answers = (nowMicroseconds() - start) / calls;

    queryCost(player, true, 200);  // warm-up
    double quick = queryCost(player, false, 20000);
    double slow = queryCost(player, true, 20000);
    destroyPlayerWindow(player);

    const double budget = interval * 1000.0;
    std::printf("rows written per frame (%d Hz, %d channels): %.1f us\n", audio.sampleRate, audio.channels, rows);
    std::printf("status answers per frame, all four, called directly: %.3f us\n", answers);
    std::printf("status queries per frame, position only: %.1f us\n", quick);
    std::printf("status queries per frame, all four: %.1f us\n", slow);
    std::printf("host work per frame, at most: %.1f us = %.2f%% of the %d ms render interval\n",
                rows + slow, (rows + slow) * 100 / budget, interval);
    return 0;
}
