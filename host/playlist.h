// The playlist: the files named on the command line, or the demo piece. An
// entry is decoded when it is about to play and released when it is done.
// Titles are Windows-1252 text at addresses that stay valid as long as the
// playlist exists; they are read on the main thread while the visualization
// thread loads entries, so they are guarded.
#pragma once

#include "host/audio/audio.h"

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

class Playlist {
public:
    Playlist();
    ~Playlist();
    Playlist(const Playlist&) = delete;
    Playlist& operator=(const Playlist&) = delete;

    void addFile(const std::wstring& path);
    void addDemo();
    size_t size() const { return entries.size(); }

    // Decodes entry `index` unless already tried. Returns whether it can play;
    // when it cannot, one line naming the file and the fault has been printed.
    bool load(size_t index);
    // Gives back the decoded samples of an entry that has finished.
    void release(size_t index);
    // Makes the entries that played decode again on their next load, for
    // another round of the list. Those that could not play stay skipped,
    // without a second error line.
    void rewind();
    const DecodedAudio& audio(size_t index) const { return entries[index].audio; }

    // The title of entry `index`, or an empty text for an index outside the list.
    const char* title(size_t index);

private:
    struct Entry {
        std::wstring path;  // empty: the demo piece
        const char* title = "";
        bool tried = false;
        bool playable = false;
        DecodedAudio audio;
    };
    void setTitle(Entry& entry, const std::string& title);

    std::vector<Entry> entries;
    std::deque<std::string> titles;  // never shrinks, so no title moves
    CRITICAL_SECTION titleLock;
};

// The title a file gets when its tags name none: its name without folder or extension.
std::string titleFromFileName(const std::wstring& path);
