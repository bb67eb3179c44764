// The status queries as the player sees them, frame by frame, and the copy of
// the title out of the player's memory, whatever address the player answers.
#include "tests/support/player.h"

#include <climits>
#include <cstring>
#include <string>

namespace {

// One frame of a scenario: what the player answers, and whether the frame
// asks for length, playlist index and title as well as the position.
struct Step {
    int position;
    int index;
    bool slowQueries;
};

struct Schedule {
    const char* name;
    std::vector<Step> steps;
};

const Schedule schedules[] = {
    {"starts in the middle of a song", {{5000, 3, true}, {5025, 3, false}, {5050, 3, false}}},
    {"starts in the first second of a song",
     {{0, 1, true}, {500, 2, true}, {999, 3, true}, {1000, 4, false}, {1025, 5, false}}},
    {"negative positions count as the first second",
     {{5000, 1, true}, {-1, 2, true}, {5000, 3, false}, {INT_MIN, 4, true}, {1000, 5, false}}},
    {"a seek back into the first second",
     {{5000, 1, true}, {6000, 1, false}, {300, 1, true}, {400, 1, true}, {1500, 1, false}}},
    {"a song change after its first second",
     {{5000, 1, true}, {1200, 2, false}, {1300, 2, false}, {200, 2, true}, {1100, 2, false}}},
};

// The queries one frame sends: position always, then length, index and the
// title of that index.
std::vector<StatusQuery> expectedQueries(const Step& step) {
    std::vector<StatusQuery> expected = {{0, visCodePositionOrLength}};
    if (step.slowQueries) {
        expected.push_back({1, visCodePositionOrLength});
        expected.push_back({0, visCodePlaylistIndex});
        expected.push_back({static_cast<WPARAM>(step.index), visCodeTitle});
    }
    return expected;
}

std::string describe(const std::vector<StatusQuery>& queries) {
    std::string text;
    for (const StatusQuery& query : queries)
        text += "(" + std::to_string(query.wParam) + ", " + std::to_string(query.lParam) + ") ";
    return text;
}

class StatusQueries : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        load(seamLibrary);
        ASSERT_EQ(start(), 0);
    }

    // Answers with step's position and index, runs one frame, and checks
    // the queries it sent, in order.
    void runStep(const Step& step) {
        position = step.position;
        playlistIndex = step.index;
        queries.clear();
        ASSERT_EQ(frame(), 0);
        EXPECT_EQ(describe(queries), describe(expectedQueries(step)));
    }

    std::string title() { return access().songTitle; }
};

TEST_F(StatusQueries, FollowTheScheduleFrameByFrame) {
    for (const Schedule& schedule : schedules) {
        SCOPED_TRACE(schedule.name);
        // A fresh load: the schedule starts from its first frame.
        unload();
        load(seamLibrary);
        ASSERT_EQ(start(), 0);
        for (size_t i = 0; i < schedule.steps.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i + 1));
            runStep(schedule.steps[i]);
            EXPECT_EQ(*access().songPosition, schedule.steps[i].position);
        }
    }
}

TEST_F(StatusQueries, KeepLengthAndTitleOfTheLastSlowFrame) {
    static const char first[] = "First song";
    static const char second[] = "Second song";
    titleAddresses[1] = reinterpret_cast<LRESULT>(first);
    titleAddresses[2] = reinterpret_cast<LRESULT>(second);

    length = 240;
    runStep({5000, 1, true});
    EXPECT_EQ(title(), first);
    EXPECT_EQ(*access().songLength, 240);
    EXPECT_EQ(*access().titlePointer, first);

    // The next song is already past its first second when it is first asked.
    length = 180;
    runStep({1200, 2, false});
    EXPECT_EQ(title(), first);
    EXPECT_EQ(*access().songLength, 240);
    EXPECT_EQ(*access().playlistIndex, 1);

    runStep({400, 2, true});
    EXPECT_EQ(title(), second);
    EXPECT_EQ(*access().songLength, 180);
    EXPECT_EQ(*access().playlistIndex, 2);
}

TEST_F(StatusQueries, TakeNumbersAsSigned32BitAnswers) {
    // The player's window answers through an int; what arrives is its sign
    // extension, and the plug-in keeps the 32-bit value.
    length = -7;
    runStep({-1000, -2, true});
    EXPECT_EQ(*access().songPosition, -1000);
    EXPECT_EQ(*access().songLength, -7);
    EXPECT_EQ(*access().playlistIndex, -2);
}

TEST_F(StatusQueries, SecondStartGoesOnWithTheSchedule) {
    static const char first[] = "Kept across starts";
    titleAddresses[1] = reinterpret_cast<LRESULT>(first);
    runStep({5000, 1, true});
    quit();
    ASSERT_EQ(start(), 0);
    runStep({7000, 2, false});
    EXPECT_EQ(title(), first);
}

// Memory the player might answer with: pages of the given protection, the
// first committed and readable, the second as given.
class PagePair {
public:
    PagePair(DWORD secondProtection, bool secondCommitted) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        pageSize = system.dwPageSize;
        base = static_cast<char*>(VirtualAlloc(nullptr, 2 * pageSize, MEM_RESERVE, PAGE_NOACCESS));
        VirtualAlloc(base, pageSize, MEM_COMMIT, PAGE_READWRITE);
        if (secondCommitted)
            VirtualAlloc(base + pageSize, pageSize, MEM_COMMIT, secondProtection);
    }
    ~PagePair() { VirtualFree(base, 0, MEM_RELEASE); }

    // Places bytes so that they end exactly at the end of the first page.
    const char* atEndOfFirstPage(const std::string& bytes) {
        char* start = base + pageSize - bytes.size();
        memcpy(start, bytes.data(), bytes.size());
        return start;
    }
    const char* secondPage() const { return base + pageSize; }

    char* base = nullptr;
    size_t pageSize = 0;
};

struct TitleAnswer {
    const char* name;
    // The address the player answers with; pages is scratch memory for it.
    LRESULT (*address)(PagePair& pages, std::string& storage);
    DWORD secondProtection;
    bool secondCommitted;
    // The title afterwards, or null when the previous one must stay.
    const char* expected;
};

std::string repeated(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

const std::string title255 = repeated(255);
const std::string oddBytes = "\x01\x1B\t\n\x7F\x80\xE9\xFF%s%n end";

const TitleAnswer titleAnswers[] = {
    {"null", [](PagePair&, std::string&) -> LRESULT { return 0; }, PAGE_NOACCESS, true, nullptr},
    {"a committed no-access page",
     [](PagePair& pages, std::string&) { return reinterpret_cast<LRESULT>(pages.secondPage()); },
     PAGE_NOACCESS, true, nullptr},
    {"a reserved page",
     [](PagePair& pages, std::string&) { return reinterpret_cast<LRESULT>(pages.secondPage()); },
     PAGE_NOACCESS, false, nullptr},
    {"a guard page",
     [](PagePair& pages, std::string&) { return reinterpret_cast<LRESULT>(pages.secondPage()); },
     PAGE_READWRITE | PAGE_GUARD, true, nullptr},
    {"an address outside the process",
     [](PagePair&, std::string&) -> LRESULT { return static_cast<LRESULT>(-4096); },
     PAGE_NOACCESS, true, nullptr},
    {"text running into a no-access page",
     [](PagePair& pages, std::string&) {
         return reinterpret_cast<LRESULT>(pages.atEndOfFirstPage("no end in sight"));
     },
     PAGE_NOACCESS, true, nullptr},
    {"text running into a reserved page",
     [](PagePair& pages, std::string&) {
         return reinterpret_cast<LRESULT>(pages.atEndOfFirstPage(repeated(100)));
     },
     PAGE_NOACCESS, false, nullptr},
    {"text ending at the last readable byte",
     [](PagePair& pages, std::string&) {
         return reinterpret_cast<LRESULT>(pages.atEndOfFirstPage(std::string("Edge", 5)));
     },
     PAGE_NOACCESS, true, "Edge"},
    {"255 characters ending at the last readable byte",
     [](PagePair& pages, std::string&) {
         return reinterpret_cast<LRESULT>(pages.atEndOfFirstPage(title255 + '\0'));
     },
     PAGE_NOACCESS, true, title255.c_str()},
    {"300 readable characters before a no-access page",
     [](PagePair& pages, std::string&) {
         return reinterpret_cast<LRESULT>(pages.atEndOfFirstPage(repeated(300)));
     },
     PAGE_NOACCESS, true, title255.c_str()},
    {"256 characters",
     [](PagePair&, std::string& storage) {
         storage = repeated(256);
         return reinterpret_cast<LRESULT>(storage.c_str());
     },
     PAGE_NOACCESS, true, title255.c_str()},
    {"10,000 characters",
     [](PagePair&, std::string& storage) {
         storage = repeated(10000);
         return reinterpret_cast<LRESULT>(storage.c_str());
     },
     PAGE_NOACCESS, true, title255.c_str()},
    {"control characters, bytes above 127 and percent signs",
     [](PagePair&, std::string& storage) {
         storage = oddBytes;
         return reinterpret_cast<LRESULT>(storage.c_str());
     },
     PAGE_NOACCESS, true, oddBytes.c_str()},
    {"an empty title",
     [](PagePair&, std::string& storage) {
         storage.clear();
         return reinterpret_cast<LRESULT>(storage.c_str());
     },
     PAGE_NOACCESS, true, ""},
};

TEST_F(StatusQueries, CopyOnlyReadableTitlesOfAtMost255Bytes) {
    static const char previous[] = "Previous title";
    for (const TitleAnswer& answer : titleAnswers) {
        SCOPED_TRACE(answer.name);
        PagePair pages(answer.secondProtection, answer.secondCommitted);
        std::string storage;
        titleAddresses[1] = reinterpret_cast<LRESULT>(previous);
        runStep({0, 1, true});
        ASSERT_EQ(title(), previous);

        titleAddresses[2] = answer.address(pages, storage);
        runStep({0, 2, true});
        const char* expected = answer.expected ? answer.expected : previous;
        EXPECT_EQ(title(), expected);
        EXPECT_LT(strlen(access().songTitle), 256u);
        // The title answered is drawn on the next frame as well.
        runStep({0, 2, true});
        EXPECT_EQ(title(), expected);
    }
}

#ifdef _WIN64
TEST_F(StatusQueries, TakeTheWholeAddressOfATitleAbove4GB) {
    char* high = static_cast<char*>(
        VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE));
    ASSERT_NE(high, nullptr);
    ASSERT_GT(reinterpret_cast<uintptr_t>(high), 0xFFFFFFFFu) << "no memory above 4 GB to test with";
    strcpy(high, "High above");
    titleAddresses[1] = reinterpret_cast<LRESULT>(high);
    runStep({0, 1, true});
    EXPECT_EQ(title(), "High above");
    EXPECT_EQ(*access().titlePointer, high);
    VirtualFree(high, 0, MEM_RELEASE);
}
#endif

}  // namespace
