// vishost: a small player that plays music and runs a visualization plug-in
// on it. The main thread owns the player window that answers the plug-in's
// status queries; a second thread calls the plug-in's hooks.
#include "host/options.h"
#include "host/player_window.h"
#include "host/playlist.h"
#include "host/plugin_library.h"
#include "host/report.h"
#include "host/visualization.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<bool> stopRequested{false};

// Ctrl+C and the console's close button end the run as the window's close
// button does: the quit hook runs before the host exits.
BOOL WINAPI consoleHandler(DWORD) {
    stopRequested = true;
    return TRUE;
}

bool commandLine(std::vector<std::wstring>& args) {
    int count = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list) {
        reportFailure("reading the command line");
        return false;
    }
    for (int i = 1; i < count; ++i)
        args.emplace_back(list[i]);
    LocalFree(list);
    return true;
}

void printModules(const LoadedPlugin& plugin) {
    std::printf("%s\n", utf8FromWindows1252(plugin.header->pluginTitle ? plugin.header->pluginTitle : "").c_str());
    for (size_t i = 0; i < plugin.modules.size(); ++i) {
        const char* title = plugin.modules[i]->moduleTitle;
        std::printf("  %zu: %s\n", i, utf8FromWindows1252(title ? title : "").c_str());
    }
}

int run(const Options& options) {
    LoadedPlugin plugin;
    if (!loadPlugin(options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath, plugin))
        return 1;
    if (options.list) {
        printModules(plugin);
        unloadPlugin(plugin);
        return 0;
    }
    if (options.module >= static_cast<int>(plugin.modules.size())) {
        reportError("the plug-in has no module " + std::to_string(options.module) + " (it offers " +
                    std::to_string(plugin.modules.size()) + ")");
        unloadPlugin(plugin);
        return 1;
    }

    Playlist playlist;
    for (const std::wstring& file : options.files)
        playlist.addFile(file);
    if (options.files.empty())
        playlist.addDemo();
    PlayerStatus status;
    HWND playerWindow = createPlayerWindow(status, playlist);
    if (!playerWindow) {
        unloadPlugin(plugin);
        return 1;
    }

    VisualizationRun visualization;
    visualization.module = plugin.modules[options.module];
    visualization.library = plugin.library;
    visualization.playerWindow = playerWindow;
    visualization.playlist = &playlist;
    visualization.status = &status;
    visualization.configOnly = options.config;
    visualization.noSound = options.noSound;
    visualization.captureDirectory = options.captureDirectory;
    visualization.virtualClock = options.virtualClock;
    visualization.repeat = options.repeat;
    visualization.statsEvery = options.statsEvery;
    visualization.frameLimit = options.frames;
    visualization.secondsLimit = options.seconds;
    visualization.stopRequested = &stopRequested;
    int exitCode = 1;
    HANDLE thread = startVisualization(visualization);
    if (thread) {
        runPlayerLoop(thread);
        CloseHandle(thread);
        exitCode = visualization.exitCode;
    }
    destroyPlayerWindow(playerWindow);
    unloadPlugin(plugin);
    return exitCode;
}

}  // namespace

int main() {
    // NOTE: file names and titles are printed as UTF-8; a Windows console
    // shows them only with this code page, and where output is redirected or
    // there is no console the call fails harmlessly.
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::wstring> args;
    if (!commandLine(args))
        return 1;
    Options options;
    std::string error;
    if (!parseOptions(args, options, error)) {
        reportError(error);
        std::fputs(usageText, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (!SetConsoleCtrlHandler(consoleHandler, TRUE))
        reportFailure("installing the Ctrl+C handler");
    return run(options);
}
