// vishost as its users run it: the real program under Wine, with the probe
// plug-in recording what it is handed, the real plug-in, real files, and
// broken ones.
#include "host/audio/audio.h"
#include "host/demo.h"
#include "tests/host/host_run.h"

#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <thread>

namespace {

const char probe[] = "probe_plugin.dll";

Environment probeEnvironment(const std::string& log, Environment extra = {}) {
    extra.emplace_back("PROBE_LOG", log);
    return extra;
}

std::vector<ProbeEvent> ofKind(const std::vector<ProbeEvent>& events, const std::string& kind) {
    std::vector<ProbeEvent> found;
    for (const ProbeEvent& event : events)
        if (event.kind == kind)
            found.push_back(event);
    return found;
}

std::vector<std::string> kinds(const std::vector<ProbeEvent>& events) {
    std::vector<std::string> list;
    for (const ProbeEvent& event : events)
        if (list.empty() || list.back() != event.kind)
            list.push_back(event.kind);
    return list;
}

// A test signal: noise on the first channel, a 440 Hz sine on the second.
std::vector<float> testSignal(int rate, int channels, double seconds) {
    size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<float> samples(frames * channels);
    uint32_t state = 1;
    for (size_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        samples[i * channels] = static_cast<float>(static_cast<int32_t>(state) / 2147483648.0 * 0.8);
        if (channels == 2)
            samples[i * channels + 1] = static_cast<float>(0.6 * std::sin(2 * 3.14159265358979 * 440 * i / rate));
    }
    return samples;
}

DecodedAudio decodeFile(const std::string& path) {
    std::string bytes = readFileBytes(path);
    DecodedAudio audio;
    std::string error;
    EXPECT_TRUE(decodeAudio(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), audio, error))
        << path << ": " << error;
    return audio;
}

// Checks that a render call was handed the rows of `audio` at the position it
// was told, and that the record's rate and channel count are the song's.
void expectRowsOf(const DecodedAudio& audio, const ProbeEvent& render) {
    SCOPED_TRACE("render " + render.fields.at("n"));
    EXPECT_EQ(render.number("rate"), audio.sampleRate);
    EXPECT_EQ(render.number("channels"), audio.channels);
    unsigned char waveform[rowChannels][rowBytes];
    unsigned char spectrum[rowChannels][rowBytes];
    size_t frame = static_cast<size_t>(render.number("position") * audio.sampleRate / 1000);
    prepareRows(audio, frame, waveform, spectrum);
    EXPECT_EQ(render.bytes("wave"), std::string(reinterpret_cast<char*>(waveform), sizeof waveform));
    EXPECT_EQ(render.bytes("spectrum"), std::string(reinterpret_cast<char*>(spectrum), sizeof spectrum));
}

void putBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xff);
}

void putLittleEndian(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xff);
}

// An ID3v2.3 tag header declaring `size` bytes of tag body.
std::string id3Header(uint32_t size) {
    std::string tag = std::string("ID3\x03\0\0", 6);
    putBigEndian(tag, ((size >> 21) & 0x7f) << 24 | ((size >> 14) & 0x7f) << 16 | ((size >> 7) & 0x7f) << 8 |
                          (size & 0x7f));
    return tag;
}

// A WAV of 8 kHz mono whose data chunk declares `length` bytes and holds 100.
std::string wavClaimingData(uint32_t length) {
    std::string file = "RIFF";
    putLittleEndian(file, 36 + 100);
    file += "WAVEfmt ";
    putLittleEndian(file, 16);
    file += std::string("\x01\0\x01\0", 4);
    putLittleEndian(file, 8000);
    putLittleEndian(file, 16000);
    file += std::string("\x02\0\x10\0", 4);
    file += "data";
    putLittleEndian(file, length);
    return file + std::string(100, '\x10');
}

// The Ogg page checksum: CRC-32 with polynomial 0x04C11DB7, no reflection.
uint32_t oggCrc(const std::string& page) {
    uint32_t crc = 0;
    for (unsigned char byte : page) {
        crc ^= static_cast<uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// An Ogg Vorbis file with the vendor length of its comment header replaced
// and the checksum of that page made right, so that only the count is wrong.
std::string oggWithVendorLength(std::string ogg, uint32_t length) {
    size_t comment = ogg.find("\x03vorbis");
    size_t page = ogg.rfind("OggS", comment);
    EXPECT_TRUE(comment != std::string::npos && page != std::string::npos) << "no comment header";
    if (comment == std::string::npos || page == std::string::npos)
        return ogg;
    std::string count;
    putLittleEndian(count, length);
    ogg.replace(comment + 7, 4, count);
    size_t segments = static_cast<unsigned char>(ogg[page + 26]);
    size_t size = 27 + segments;
    for (size_t i = 0; i < segments; ++i)
        size += static_cast<unsigned char>(ogg[page + 27 + i]);
    ogg.replace(page + 22, 4, std::string(4, '\0'));
    std::string crc;
    putLittleEndian(crc, oggCrc(ogg.substr(page, size)));
    ogg.replace(page + 22, 4, crc);
    return ogg;
}

int countLinesWith(const std::string& output, const std::string& text) {
    int count = 0;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        if (output.substr(start, end - start).find(text) != std::string::npos)
            ++count;
        start = end + 1;
    }
    return count;
}

TEST(HostPlugin, ListsThePluginTitleAndItsModules) {
    struct Case {
        const char* plugin;
        const char* listing;
    };
    const Case cases[] = {
        {"vis_dravik.dll", "Gyroquad\n  0: Cube\n"},
        {probe, "Probe \xC3\xA9t\xC3\xA9\n  0: Probe A\n  1: Probe B\n"},  // printed as UTF-8
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.plugin);
        HostRun run = runHost({"--plugin", row.plugin, "--list"});
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, row.listing);
    }
}

TEST(HostPlugin, RunsEveryHookOfTheChosenModuleOnOneThreadOfItsOwn) {
    std::string dir = testDirectory();
    std::string log = dir + "\\probe.log";
    HostRun run = runHost({"--plugin", probe, "--module", "1", "--capture", dir + "\\frames", "--frames", "5"},
                          probeEnvironment(log));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    std::vector<ProbeEvent> events = readProbeLog(log);
    EXPECT_EQ(kinds(events), (std::vector<std::string>{"init", "render", "quit", "destroyed"}));
    ASSERT_EQ(ofKind(events, "render").size(), 5u);
    const ProbeEvent& init = events.front();
    EXPECT_EQ(init.number("instanceIsSelf"), 1);
    EXPECT_NE(init.number("parentThread"), 0) << "the parent is no window";
    EXPECT_NE(init.number("parentThread"), init.number("thread"))
        << "the player window must live on another thread than the hooks";
    EXPECT_EQ(init.number("rate"), 44100);
    EXPECT_EQ(init.number("channels"), 2);
    for (const ProbeEvent& event : events) {
        SCOPED_TRACE(event.kind);
        EXPECT_EQ(event.number("thread"), init.number("thread"));
        if (event.kind != "destroyed") {
            EXPECT_EQ(event.number("module"), 1);
        }
    }
}

TEST(HostPlugin, ConfigRunsOnlyTheConfigureHook) {
    std::string dir = testDirectory();
    std::string log = dir + "\\probe.log";
    HostRun run = runHost({"--plugin", probe, "--config"}, probeEnvironment(log));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    std::vector<ProbeEvent> events = readProbeLog(log);
    ASSERT_EQ(kinds(events), std::vector<std::string>{"config"});
    EXPECT_NE(events[0].number("parent"), 0);
}

TEST(HostPlugin, ConfigShowsTheRealPluginsAboutBoxOwnedByThePlayerWindow) {
    HWND owner = nullptr;
    HostRun run = runHost({"--config"}, {}, [&](HANDLE process) {
        HWND box = nullptr;
        for (int i = 0; i < 300 && !box && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; ++i) {
            box = FindWindowA("#32770", "Gyroquad (30/07/2k2)");
            Sleep(50);
        }
        ASSERT_NE(box, nullptr) << "the about box never showed";
        owner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);  // as its OK button does
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(owner, nullptr) << "the box belongs to the player window";
}

TEST(HostPlugin, FailuresOfThePluginEndTheHostWithAClearError) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        Environment environment;
        const char* message;
        bool initCalled;
    };
    const Case cases[] = {
        {"missing library", {"--plugin", "no_such_plugin.dll"}, {}, "loading the plug-in no_such_plugin.dll failed", false},
        {"no export", {"--plugin", "no_export_plugin.dll"}, {}, "has no plug-in entry", false},
        {"lookup null at 0", {"--plugin", probe}, {{"PROBE_NO_MODULE", "1"}}, "offers no module", false},
        {"module out of range", {"--plugin", probe, "--module", "2"}, {}, "has no module 2 (it offers 2)", false},
        {"initialise answers 1", {"--plugin", probe}, {{"PROBE_INIT", "1"}}, "initialise hook failed (it answered 1)", true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        std::string log = testDirectory() + "\\probe.log";
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"--capture", "host-tmp\\unused", "--frames", "3"});
        HostRun run = runHost(args, probeEnvironment(log, row.environment));
        EXPECT_NE(run.exitCode, 0u);
        EXPECT_EQ(countLinesWith(run.output, row.message), 1) << run.output;
        std::vector<ProbeEvent> events = readProbeLog(log);
        EXPECT_EQ(kinds(events), row.initCalled ? std::vector<std::string>{"init"} : std::vector<std::string>{});
    }
}

TEST(HostPlugin, ARenderHookAnsweringNonZeroEndsTheRunWithTheQuitHook) {
    std::string dir = testDirectory();
    std::string log = dir + "\\probe.log";
    HostRun run = runHost({"--plugin", probe, "--capture", dir + "\\frames", "--frames", "10"},
                          probeEnvironment(log, {{"PROBE_STOP_AT", "3"}}));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    std::vector<ProbeEvent> events = readProbeLog(log);
    EXPECT_EQ(kinds(events), (std::vector<std::string>{"init", "render", "quit", "destroyed"}));
    EXPECT_EQ(ofKind(events, "render").size(), 3u);
}

TEST(HostPlayback, HandsOverTheRowsAndStatusOfTheFileAtEachFrame) {
    struct Case {
        int rate;
        int channels;
    };
    const Case cases[] = {{44100, 2}, {22050, 1}, {48000, 2}, {8000, 1}};
    for (const Case& row : cases) {
        SCOPED_TRACE(std::to_string(row.rate) + " Hz, " + std::to_string(row.channels) + " channels");
        std::string dir = testDirectory();
        std::string log = dir + "\\probe.log";
        std::string file = dir + "\\signal.wav";
        writeWav(file, row.rate, row.channels, testSignal(row.rate, row.channels, 1.2));
        HostRun run = runHost({"--plugin", probe, "--capture", dir + "\\frames", "--frames", "12", file},
                              probeEnvironment(log));
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        DecodedAudio audio = decodeFile(file);
        std::vector<ProbeEvent> renders = ofKind(readProbeLog(log), "render");
        ASSERT_EQ(renders.size(), 12u);
        for (size_t i = 0; i < renders.size(); ++i) {
            const ProbeEvent& render = renders[i];
            EXPECT_EQ(render.number("position"), static_cast<long long>(i) * 25) << "the virtual clock";
            EXPECT_EQ(render.number("length"), 2) << "1.2 s, rounded up";
            EXPECT_EQ(render.number("index"), 0);
            EXPECT_EQ(render.bytes("title"), "signal");
            EXPECT_EQ(render.bytes("outside"), "") << "an index outside the playlist";
            EXPECT_EQ(render.number("titleAddress"), renders[0].number("titleAddress"));
            expectRowsOf(audio, render);
        }
    }
}

TEST(HostPlayback, PlaysEachEntryToItsEndSkipsBrokenOnesAndStopsAtTheEnd) {
    std::string dir = testDirectory();
    std::string log = dir + "\\probe.log";
    std::string first = dir + "\\first.wav";
    std::string second = dir + "\\second.wav";
    writeWav(first, 8000, 1, testSignal(8000, 1, 0.1), "Premi\xE8re");  // 4 frames of 25 ms
    writeWav(second, 16000, 2, testSignal(16000, 2, 0.06));              // 3 frames
    std::string wav = readFileBytes(first);
    // Hostile files: each must cost one line naming it and nothing more.
    struct Broken {
        const char* name;
        std::string bytes;  // "missing": the file is not written
    };
    const Broken hostile[] = {
        {"missing.wav", "missing"},
        {"garbage.wav", "this is no sound file at all"},
        {"empty.wav", ""},
        {"truncated.wav", wav.substr(0, 30)},
        {"four-gigabytes.wav", wavClaimingData(0xFFFFFFF0u)},
        {"no-data.wav", wavClaimingData(0)},
        {"riff-of-another-kind.wav", "RIFF" + wav.substr(4, 4) + "AVI " + wav.substr(12)},
        {"wrong-magic.mp3", "fLaC" + wav.substr(4)},
        {"huge-id3.mp3", id3Header(250u << 20) + std::string(4096, '\0')},
        {"huge-vorbis-vendor.ogg", oggWithVendorLength(readFileBytes("host-fixtures\\tone.ogg"), 0xFFFFFFF0u)},
        {"truncated-page.ogg", readFileBytes("host-fixtures\\tone.ogg").substr(0, 20)},
        {"only-a-tag.mp3", id3Header(16) + std::string(16, '\0')},
    };
    std::vector<std::string> broken;
    for (const Broken& file : hostile) {
        broken.push_back(dir + "\\" + file.name);
        if (file.bytes != "missing")
            writeFileBytes(broken.back(), file.bytes);
    }
    std::vector<std::string> args = {"--plugin", probe, "--capture", dir + "\\frames", first};
    args.insert(args.end(), broken.begin(), broken.begin() + 4);
    args.push_back(second);
    args.insert(args.end(), broken.begin() + 4, broken.end());
    HostRun run = runHost(args, probeEnvironment(log));

    EXPECT_EQ(run.exitCode, 0u) << run.output;
    for (const std::string& file : broken)
        EXPECT_EQ(countLinesWith(run.output, "vishost: " + file + ": "), 1) << file << "\n" << run.output;
    std::vector<ProbeEvent> events = readProbeLog(log);
    EXPECT_EQ(kinds(events), (std::vector<std::string>{"init", "render", "quit", "destroyed"}));
    std::vector<ProbeEvent> renders = ofKind(events, "render");
    struct Expected {
        int index;
        int position;
        const char* title;
        int length;
    };
    const Expected expected[] = {{0, 0, "Premi\xE8re", 1}, {0, 25, "Premi\xE8re", 1},
                                 {0, 50, "Premi\xE8re", 1}, {0, 75, "Premi\xE8re", 1},
                                 {5, 0, "second", 1},      {5, 25, "second", 1},
                                 {5, 50, "second", 1}};  // 4 hostile files before it, 8 after
    ASSERT_EQ(renders.size(), std::size(expected));
    DecodedAudio audio[2] = {decodeFile(first), decodeFile(second)};
    for (size_t i = 0; i < renders.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(renders[i].number("index"), expected[i].index);
        EXPECT_EQ(renders[i].number("position"), expected[i].position);
        EXPECT_EQ(renders[i].bytes("title"), expected[i].title);
        EXPECT_EQ(renders[i].number("length"), expected[i].length);
        expectRowsOf(audio[expected[i].index == 0 ? 0 : 1], renders[i]);
    }
}

// Live, the entries after the song playing are decoded while it plays.
TEST(HostPlayback, ALiveRunMovesFromSongToSongPastBrokenEntries) {
    std::string dir = testDirectory();
    std::string log = dir + "\\probe.log";
    writeWav(dir + "\\one.wav", 22050, 2, testSignal(22050, 2, 0.4));
    writeFileBytes(dir + "\\broken.wav", "RIFF....WAVEfmt nothing more");
    writeWav(dir + "\\two.wav", 11025, 1, testSignal(11025, 1, 0.4));
    HostRun run = runHost({"--plugin", probe, "--no-sound", dir + "\\one.wav", dir + "\\broken.wav", dir + "\\two.wav"},
                          probeEnvironment(log));
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(countLinesWith(run.output, "broken.wav: "), 1) << run.output;
    std::vector<ProbeEvent> events = readProbeLog(log);
    EXPECT_EQ(kinds(events), (std::vector<std::string>{"init", "render", "quit", "destroyed"}));
    std::vector<long long> indices;
    for (const ProbeEvent& render : ofKind(events, "render")) {
        if (indices.empty() || indices.back() != render.number("index"))
            indices.push_back(render.number("index"));
        EXPECT_EQ(render.number("rate"), render.number("index") == 0 ? 22050 : 11025);
        EXPECT_LT(render.number("position"), 400);
    }
    EXPECT_EQ(indices, (std::vector<long long>{0, 2}));
}

TEST(HostPlayback, APlaylistWithNothingPlayableIsAnError) {
    std::string dir = testDirectory();
    std::string log = dir + "\\probe.log";
    writeFileBytes(dir + "\\garbage.ogg", "OggS but not really");
    HostRun run = runHost({"--plugin", probe, dir + "\\garbage.ogg", dir + "\\missing.mp3"}, probeEnvironment(log));
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(countLinesWith(run.output, "garbage.ogg: "), 1) << run.output;
    EXPECT_EQ(countLinesWith(run.output, "missing.mp3: "), 1) << run.output;
    EXPECT_EQ(countLinesWith(run.output, "nothing in the playlist can be played"), 1) << run.output;
    EXPECT_TRUE(readProbeLog(log).empty()) << "no hook runs without a song";
}

TEST(HostPlayback, CompressedAndTaggedFilesPlayUnderTheirTagTitles) {
    std::string dir = testDirectory();
    std::string wav = dir + "\\tagged.wav";
    writeWav(wav, 44100, 2, testSignal(44100, 2, 2.0), "Cr\xE9" "ation");
    // Huge tag blocks before good sound: a 5 MB ID3v2 tag (its title, then a
    // private frame) in place of the MP3's own, and a WAV whose 4 MB INFO
    // comment comes before its title.
    std::string mp3 = readFileBytes("host-fixtures\\tone.mp3");
    if (mp3.compare(0, 3, "ID3") == 0)
        mp3.erase(0, 10 + ((mp3[6] & 0x7f) << 21 | (mp3[7] & 0x7f) << 14 | (mp3[8] & 0x7f) << 7 | (mp3[9] & 0x7f)));
    std::string frames = "TIT2";
    putBigEndian(frames, 9);
    frames += std::string("\0\0\0Huge tag", 11);
    frames += "PRIV";
    putBigEndian(frames, 5u << 20);
    frames += std::string("\0\0owner\0", 8) + std::string((5u << 20) - 6, '\x5a');
    std::string hugeId3 = dir + "\\huge-tag.mp3";
    writeFileBytes(hugeId3, id3Header(static_cast<uint32_t>(frames.size())) + frames + mp3);
    std::string info = "INFOICMT";
    putLittleEndian(info, 4u << 20);
    info += std::string((4u << 20) - 1, 'n') + '\0';
    info += "INAM";
    putLittleEndian(info, 11);
    info += std::string("Long notes\0\0", 12);
    std::string hugeList = dir + "\\huge-list.wav";
    writeWav(hugeList, 44100, 2, testSignal(44100, 2, 2.0));
    std::string listed = readFileBytes(hugeList);
    std::string chunk = "LIST";
    putLittleEndian(chunk, static_cast<uint32_t>(info.size()));
    listed.insert(36, chunk + info);
    std::string riffSize;
    putLittleEndian(riffSize, static_cast<uint32_t>(listed.size() - 8));
    listed.replace(4, 4, riffSize);
    writeFileBytes(hugeList, listed);
    struct Case {
        std::string file;
        std::string title;
    };
    const Case cases[] = {
        {"host-fixtures\\tone.ogg", "Vorbis tone"},
        {"host-fixtures\\tone.mp3", "MP3 tone"},
        {wav, "Cr\xE9" "ation"},
        {hugeId3, "Huge tag"},
        {hugeList, "Long notes"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.file);
        std::string log = dir + "\\" + std::to_string(&row - cases) + ".log";
        HostRun run = runHost({"--plugin", probe, "--capture", dir + "\\frames", "--frames", "3", row.file},
                              probeEnvironment(log));
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        std::vector<ProbeEvent> renders = ofKind(readProbeLog(log), "render");
        ASSERT_EQ(renders.size(), 3u) << run.output;
        DecodedAudio audio = decodeFile(row.file);
        // Two seconds of sound; an MP3 decodes with its encoder's padding.
        const size_t frames = audio.samples.size() / audio.channels;
        ASSERT_GE(frames, 88200u);
        const long long seconds = (frames + 44099) / 44100;
        for (const ProbeEvent& render : renders) {
            EXPECT_EQ(render.bytes("title"), row.title);
            EXPECT_EQ(render.number("rate"), 44100);
            EXPECT_EQ(render.number("length"), seconds) << "the length in seconds, rounded up";
            expectRowsOf(audio, render);
        }
    }
}

TEST(HostPlayback, TheDemoPlaysWhenNoFileIsNamed) {
    std::string dir = testDirectory();
    std::string log = dir + "\\probe.log";
    HostRun run = runHost({"--plugin", probe, "--capture", dir + "\\frames", "--frames", "80"}, probeEnvironment(log));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    std::vector<ProbeEvent> renders = ofKind(readProbeLog(log), "render");
    ASSERT_EQ(renders.size(), 80u);
    DecodedAudio demo;
    synthesizeDemo(demo);  // the same piece on every run
    std::set<std::string> waveforms;
    int loudSpectra = 0;
    for (const ProbeEvent& render : renders) {
        EXPECT_EQ(render.bytes("title"), demoTitle);
        EXPECT_EQ(render.number("length"), 32);
        expectRowsOf(demo, render);
        waveforms.insert(render.bytes("wave"));
        std::string spectrum = render.bytes("spectrum");
        int bass = 0;
        for (int i = 0; i < 51; ++i)
            bass += static_cast<unsigned char>(spectrum[i]);
        loudSpectra += bass > 51 * 32;
    }
    EXPECT_GT(waveforms.size(), renders.size() / 2) << "the waveform must move";
    EXPECT_GT(loudSpectra, 10) << "the beats must reach the bass of the spectrum";
}

TEST(HostCapture, WritesEveryFrameOfThePluginWindowAsAPicture) {
    std::string dir = testDirectory();
    std::string frames = dir + "\\frames";
    HostRun run = runHost({"--plugin", probe, "--capture", frames, "--seconds", "0.2"});
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("captured 8 frames, 0 to go"), std::string::npos) << run.output;
    for (int frame = 1; frame <= 9; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        char name[64];
        snprintf(name, sizeof name, "\\frame-%06d.png", frame);
        int width = 0, height = 0, components = 0;
        unsigned char* pixels = stbi_load((frames + name).c_str(), &width, &height, &components, 3);
        if (frame == 9) {
            EXPECT_EQ(pixels, nullptr) << "0.2 s are 8 frames of 25 ms";
            stbi_image_free(pixels);
            continue;
        }
        ASSERT_NE(pixels, nullptr);
        EXPECT_GT(width, 100);
        EXPECT_GT(height, 50);
        const unsigned char* centre = pixels + ((height / 2) * width + width / 2) * 3;
        // The probe clears to red = its render count, green 0.5, blue 0.25.
        EXPECT_EQ(centre[0], frame);
        EXPECT_NEAR(centre[1], 128, 1);
        EXPECT_NEAR(centre[2], 64, 1);
        stbi_image_free(pixels);
    }
}

TEST(HostWindow, ClosingThePluginWindowEndsTheRunCleanly) {
    struct Case {
        const char* plugin;
        const char* windowClass;
    };
    const Case cases[] = {{probe, "GyroquadProbe"}, {"vis_dravik.dll", "DravikVis"}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.plugin);
        std::string log = testDirectory() + "\\probe.log";
        HostRun run = runHost({"--plugin", row.plugin, "--no-sound"}, probeEnvironment(log), [&](HANDLE process) {
            HWND window = nullptr;
            for (int i = 0; i < 300 && !window && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; ++i) {
                window = FindWindowA(row.windowClass, nullptr);
                Sleep(50);
            }
            ASSERT_NE(window, nullptr) << "the plug-in's window never showed";
            Sleep(500);  // a few frames
            PostMessageA(window, WM_CLOSE, 0, 0);  // as the window's close button does
        });
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        if (row.plugin != probe)
            continue;
        std::vector<ProbeEvent> events = readProbeLog(log);
        EXPECT_EQ(kinds(events), (std::vector<std::string>{"init", "render", "destroyed", "quit"}));
        long long previous = -1;
        for (const ProbeEvent& render : ofKind(events, "render")) {
            EXPECT_GE(render.number("position"), previous) << "the clock never runs backwards";
            previous = render.number("position");
        }
    }
}

// A night-long run: the playlist over and over on the virtual clock, each
// round decoded again under the same title, with a line of figures per block.
TEST(HostPlayback, RepeatPlaysTheListOverAndOverOnTheVirtualClock) {
    std::string dir = testDirectory();
    std::string log = dir + "\\probe.log";
    std::string song = dir + "\\song.wav";
    writeWav(song, 8000, 1, testSignal(8000, 1, 0.06), "Encore");  // 3 frames of 25 ms
    writeFileBytes(dir + "\\broken.wav", "RIFF");
    HostRun run = runHost({"--plugin", probe, "--virtual-clock", "--repeat", "--stats", "4", "--frames", "10",
                           song, dir + "\\broken.wav"},
                          probeEnvironment(log));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(countLinesWith(run.output, "broken.wav: "), 1) << "a bad file is named once, not every round";
    EXPECT_EQ(countLinesWith(run.output, " ms per frame"), 2) << run.output;
    EXPECT_NE(run.output.find("frames 8: cpu "), std::string::npos) << run.output;
    std::vector<ProbeEvent> renders = ofKind(readProbeLog(log), "render");
    ASSERT_EQ(renders.size(), 10u);
    DecodedAudio audio = decodeFile(song);
    for (size_t i = 0; i < renders.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(renders[i].number("position"), static_cast<long long>(i % 3) * 25);
        EXPECT_EQ(renders[i].number("index"), 0);
        EXPECT_EQ(renders[i].bytes("title"), "Encore");
        EXPECT_EQ(renders[i].number("titleAddress"), renders[0].number("titleAddress"))
            << "a title handed out stays where it is";
        expectRowsOf(audio, renders[i]);
    }
}

TEST(HostOptions, MistakesOnTheCommandLineAreReportedWithTheUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {"--frames", "0"}, {"--frames", "ten"}, {"--seconds", "-1"}, {"--seconds", "nan"},
        {"--module", "-1"}, {"--capture"},      {"--bogus"},         {"--list", "--config"},
        {""},  // an empty file name would otherwise stand for the demo piece
        {"--stats", "0"}, {"--stats"},
        {"--repeat", "--capture", "frames"},  // endless pictures would fill the disk
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
        HostRun run = runHost(args);
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_EQ(run.output.rfind("vishost: ", 0), 0u) << run.output;
        EXPECT_NE(run.output.find("usage: vishost"), std::string::npos);
    }
}

}  // namespace

namespace {

// Run by ctest with ALSA's null device as the default (tests/CMakeLists.txt).
TEST(HostSound, PlaysThroughTheDeviceToTheEndOfTheSong) {
    std::string log = testDirectory() + "\\probe.log";
    HostRun run = runHost({"--plugin", probe, "host-fixtures\\tone.ogg"}, probeEnvironment(log));
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output.find("vishost: "), std::string::npos) << "a device was there: " << run.output;
    std::vector<ProbeEvent> events = readProbeLog(log);
    EXPECT_EQ(kinds(events), (std::vector<std::string>{"init", "render", "quit", "destroyed"}));
    long long previous = -1;
    for (const ProbeEvent& render : ofKind(events, "render")) {
        EXPECT_GE(render.number("position"), previous) << "the position heard never runs backwards";
        EXPECT_LT(render.number("position"), 2000) << "the song ends when it has been heard";
        previous = render.number("position");
    }
}

}  // namespace
