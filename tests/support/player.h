// A small player for the tests: it loads the plug-in as a player does, owns a
// player window on the test thread that answers and logs the status queries,
// pumps the thread's messages between frames, and captures every message box
// (owner, caption, text, buttons, icon) and closes it, so none ever blocks.
#pragma once

#include "plugin/records.h"
#include "tests/seams/test_access.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

struct CapturedBox {
    HWND owner;
    std::string ownerClass;      // class of the owner while the box was up
    std::string caption;
    std::string text;
    std::vector<int> buttonIds;  // the visible push buttons, by control id
    HICON icon;                  // the icon shown, or null
};

struct StatusQuery {
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const StatusQuery& other) const {
        return wParam == other.wParam && lParam == other.lParam;
    }
};

// The library under test: the product, or the test build with its redirections.
constexpr const char* productLibrary = "vis_dravik.dll";
constexpr const char* seamLibrary = "vis_dravik_seams.dll";

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the library afresh (all of its state zero) and walks the lookup.
    void load(const char* library = productLibrary);
    void unload();

    // Writes the host fields as a player does before it calls a hook.
    void fillHostFields();
    // Fills the host fields and calls the initialise hook.
    int start();
    // Calls the render hook, then dispatches the thread's pending messages.
    int frame();
    void quit();
    // Dispatches pending messages; notes a quit message and its code.
    void pump();

    // Redirections and inner state; only for the test build of the library.
    DravikTestAccess& access();

    HMODULE library = nullptr;
    visGetHeaderProc getHeader = nullptr;
    visHeader* header = nullptr;
    visModule* module = nullptr;

    HWND playerWindow = nullptr;
    std::vector<CapturedBox> boxes;
    bool quitPosted = false;
    WPARAM quitCode = 0;

    // What the player answers to the status queries, and what it was asked.
    int position = 0;
    int length = 0;
    int playlistIndex = 0;
    std::map<WPARAM, LRESULT> titleAddresses;
    std::vector<StatusQuery> queries;

private:
    static LRESULT CALLBACK playerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK boxHook(int code, WPARAM wParam, LPARAM lParam);
    static PlayerTest* current;
    HHOOK hook = nullptr;
    bool running = false;
};

// An export of a loaded library as the function type the caller expects.
template <typename Proc>
Proc procAddress(HMODULE library, const char* name) {
    // NOTE: through void (*)() because GCC warns on a direct function cast.
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Reads back through the GL of the current context.
GLint glInteger(GLenum name);
std::vector<GLint> glIntegers(GLenum name, int count);
std::vector<GLdouble> glMatrix(GLenum name);
