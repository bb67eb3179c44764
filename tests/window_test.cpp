// The output window and its rendering context through the plug-in's start and
// quit, the user closing the window, and the failures a machine may produce.
#include "tests/support/player.h"

namespace {

using WindowTest = PlayerTest;

const char registrationError[] = "Erreur lors de l'enregistrement de la classe de la fen\xEAtre";
const char creationError[] = "Erreur lors de la cr\xE9" "ation de la fen\xEAtre";
const char pixelFormatError[] = "Mode graphique non support\xE9.";

bool classRegistered(HINSTANCE instance) {
    WNDCLASSA windowClass;
    return GetClassInfoA(instance, "DravikVis", &windowClass) != 0;
}

HWND outputWindow() {
    return FindWindowA("DravikVis", nullptr);
}

TEST_F(WindowTest, StartOpensTheOwnedWindowWithACurrentContext) {
    load();
    ASSERT_EQ(start(), 0);
    EXPECT_TRUE(boxes.empty());

    HWND window = outputWindow();
    ASSERT_NE(window, nullptr);
    WNDCLASSA windowClass = {};
    ASSERT_TRUE(GetClassInfoA(library, "DravikVis", &windowClass));
    EXPECT_EQ(windowClass.style, 0u);
    EXPECT_EQ(windowClass.hIcon, nullptr);
    EXPECT_EQ(windowClass.hCursor, nullptr);
    EXPECT_EQ(windowClass.hbrBackground, nullptr);

    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Cube");
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);
    EXPECT_EQ(outer.right - outer.left, 800);
    EXPECT_EQ(outer.bottom - outer.top, 600);

    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_VISIBLE | WS_SYSMENU), WS_VISIBLE | WS_SYSMENU);
    EXPECT_EQ(style & (WS_CHILD | WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), WS_EX_APPWINDOW | WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(window, GW_OWNER), playerWindow);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());

    EXPECT_NE(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(WindowFromDC(wglGetCurrentDC()), window);
    PIXELFORMATDESCRIPTOR format = {};
    DescribePixelFormat(wglGetCurrentDC(), GetPixelFormat(wglGetCurrentDC()), sizeof format, &format);
    EXPECT_TRUE(format.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(format.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_EQ(format.iPixelType, PFD_TYPE_RGBA);
    EXPECT_FALSE(quitPosted);
}

TEST_F(WindowTest, QuitGivesEverythingBackAndASecondStartWorks) {
    load();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        quitPosted = false;
        ASSERT_EQ(start(), 0);
        HWND window = outputWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(frame(), 0);
        quit();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(wglGetCurrentContext(), nullptr);
        EXPECT_TRUE(quitPosted);
        EXPECT_EQ(quitCode, 0u);
        EXPECT_FALSE(classRegistered(library));
        EXPECT_TRUE(boxes.empty());
    }
}

TEST_F(WindowTest, SecondStartWithoutQuitShowsTheRegistrationBoxAndLeavesTheFirstWindow) {
    load();
    ASSERT_EQ(start(), 0);
    HWND window = outputWindow();
    HGLRC context = wglGetCurrentContext();

    EXPECT_EQ(module->initHook(module), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, playerWindow);
    EXPECT_EQ(boxes[0].caption, "Attention !");
    EXPECT_EQ(boxes[0].text, registrationError);
    EXPECT_EQ(boxes[0].buttonIds, std::vector<int>{IDOK});
    EXPECT_EQ(boxes[0].icon, nullptr);

    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(outputWindow(), window);
    EXPECT_EQ(wglGetCurrentContext(), context);
    EXPECT_EQ(frame(), 0);
    quit();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(classRegistered(library));
}

TEST_F(WindowTest, UserClosingTheWindowEndsItThenQuitOnlyUnregisters) {
    load();
    ASSERT_EQ(start(), 0);
    HWND window = outputWindow();
    frame();
    // The close command of the window menu, as the user gives it.
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(quitPosted);
    EXPECT_EQ(quitCode, 0u);
    EXPECT_TRUE(classRegistered(library));

    quitPosted = false;
    quit();
    EXPECT_FALSE(quitPosted);
    EXPECT_FALSE(classRegistered(library));
    EXPECT_TRUE(boxes.empty());
}

// Failures the machine will not produce on demand, through the test build.
struct Failure {
    const char* name;
    void (*inject)(PlatformCalls&);
    const char* boxText;      // null: no box
    const char* boxCaption;
    bool boxOwnedByOutputWindow;
    bool errorIcon;
    bool classLeftRegistered;
    bool quitMessage;
};

const Failure failures[] = {
    {"class registration fails",
     [](PlatformCalls& calls) { calls.RegisterClassA = [](const WNDCLASSA*) -> ATOM { return 0; }; },
     registrationError, "Attention !", false, false, false, false},
    {"window creation fails",
     [](PlatformCalls& calls) {
         calls.CreateWindowExA = [](DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU,
                                    HINSTANCE, LPVOID) -> HWND { return nullptr; };
     },
     creationError, "Attention !", false, false, true, false},
    {"no pixel format",
     [](PlatformCalls& calls) {
         calls.ChoosePixelFormat = [](HDC, const PIXELFORMATDESCRIPTOR*) { return 0; };
     },
     pixelFormatError, "Probl\xE8me - 1", true, true, true, false},
    {"pixel format refused",
     [](PlatformCalls& calls) {
         calls.SetPixelFormat = [](HDC, int, const PIXELFORMATDESCRIPTOR*) -> BOOL { return FALSE; };
     },
     pixelFormatError, "Probl\xE8me - 1", true, true, true, false},
    {"no rendering context",
     [](PlatformCalls& calls) { calls.wglCreateContext = [](HDC) -> HGLRC { return nullptr; }; },
     creationError, "Attention !", false, false, true, true},
};

void PrintTo(const Failure& failure, std::ostream* out) {
    *out << failure.name;
}

class WindowFailureTest : public PlayerTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(WindowFailureTest, StartReportsOnceAndLeavesNothingBehind) {
    const Failure& failure = GetParam();
    load(seamLibrary);
    const PlatformCalls healthy = *access().platform;
    failure.inject(*access().platform);

    EXPECT_EQ(start(), 1);
    EXPECT_EQ(outputWindow(), nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(classRegistered(library), failure.classLeftRegistered);
    EXPECT_EQ(quitPosted, failure.quitMessage);

    ASSERT_EQ(boxes.size(), 1u);
    const CapturedBox& box = boxes[0];
    EXPECT_EQ(box.text, failure.boxText);
    EXPECT_EQ(box.caption, failure.boxCaption);
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    if (failure.errorIcon)
        EXPECT_EQ(box.icon, LoadIconA(nullptr, IDI_HAND));
    else
        EXPECT_EQ(box.icon, nullptr);
    if (failure.boxOwnedByOutputWindow) {
        // The owner was the window being created; it is gone by now.
        EXPECT_EQ(box.ownerClass, "DravikVis");
        EXPECT_FALSE(IsWindow(box.owner));
    } else {
        EXPECT_EQ(box.owner, playerWindow);
    }

    // The player goes on: quit unregisters what is left, and a start on a
    // healthy machine then succeeds.
    quit();
    EXPECT_FALSE(classRegistered(library));
    *access().platform = healthy;
    boxes.clear();
    EXPECT_EQ(start(), 0);
    EXPECT_NE(outputWindow(), nullptr);
    EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Failures, WindowFailureTest, ::testing::ValuesIn(failures),
                         [](const ::testing::TestParamInfo<Failure>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

}  // namespace
