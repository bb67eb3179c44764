// Reading, decoding and naming the entries of the playlist.
#include "host/playlist.h"

#include "host/demo.h"
#include "host/report.h"

#include <cstdint>

namespace {

// Decoded samples take four times a 16-bit file's size or more; beyond this
// the machine would run out of memory before the song could play.
constexpr LONGLONG largestFile = 1LL << 30;

// Reads a whole file. On failure returns false with the reason in `error`.
bool readFile(const std::wstring& path, std::vector<uint8_t>& data, std::string& error) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot open: " + systemReason(GetLastError());
        return false;
    }
    bool ok = false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        error = "cannot read its size: " + systemReason(GetLastError());
    } else if (size.QuadPart > largestFile) {
        error = "is too large to play (over 1 GiB)";
    } else {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD done = 0;
        if (!data.empty() && !ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &done, nullptr))
            error = "cannot read: " + systemReason(GetLastError());
        else if (done != data.size())
            error = "cannot read: the file shrank while being read";
        else
            ok = true;
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

std::string titleFromFileName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.resize(dot);
    return windows1252(name);
}

Playlist::Playlist() {
    InitializeCriticalSection(&titleLock);
}

Playlist::~Playlist() {
    DeleteCriticalSection(&titleLock);
}

void Playlist::setTitle(Entry& entry, const std::string& title) {
    EnterCriticalSection(&titleLock);
    titles.push_back(title);
    entry.title = titles.back().c_str();
    LeaveCriticalSection(&titleLock);
}

void Playlist::addFile(const std::wstring& path) {
    entries.emplace_back();
    entries.back().path = path;
    setTitle(entries.back(), titleFromFileName(path));
}

void Playlist::addDemo() {
    entries.emplace_back();
    setTitle(entries.back(), demoTitle);
}

bool Playlist::load(size_t index) {
    Entry& entry = entries[index];
    if (entry.tried)
        return entry.playable;
    entry.tried = true;
    if (entry.path.empty()) {
        synthesizeDemo(entry.audio);
        entry.playable = true;
        return true;
    }
    std::vector<uint8_t> data;
    std::string error;
    DecodedAudio audio;
    if (readFile(entry.path, data, error) && decodeAudio(data.data(), data.size(), audio, error)) {
        if (audio.sampleRate <= 0 || (audio.channels != 1 && audio.channels != 2))
            error = "has a sound format this player cannot play";
        else if (audio.samples.size() < static_cast<size_t>(audio.channels))
            error = "holds no sound";
        else
            entry.playable = true;
    } else if (error.empty()) {
        error = "cannot be decoded";
    }
    if (!entry.playable) {
        reportError(utf8(entry.path) + ": " + error);
        return false;
    }
    // Another round gives the same title; keeping the text it has keeps the
    // title store from growing round after round.
    if (!audio.title.empty() && audio.title != entry.title)
        setTitle(entry, audio.title);
    entry.audio = std::move(audio);
    return true;
}

void Playlist::release(size_t index) {
    entries[index].audio.samples = std::vector<float>();
}

void Playlist::rewind() {
    for (Entry& entry : entries) {
        if (entry.playable) {
            entry.audio = DecodedAudio();
            entry.tried = false;
            entry.playable = false;
        }
    }
}

const char* Playlist::title(size_t index) {
    EnterCriticalSection(&titleLock);
    const char* text = index < entries.size() ? entries[index].title : "";
    LeaveCriticalSection(&titleLock);
    return text;
}
