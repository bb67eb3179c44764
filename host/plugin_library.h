// Loading a visualization plug-in as a player does: the library by path, its
// one export, the header, and the module lookup walked until it answers null.
#pragma once

#include "plugin/records.h"

#include <string>
#include <vector>

struct LoadedPlugin {
    HMODULE library = nullptr;
    visHeader* header = nullptr;
    std::vector<visModule*> modules;  // what the lookup answered for 0, 1, ... before null
};

// The plug-in's default path: vis_dravik.dll in the program's own directory.
std::wstring defaultPluginPath();

// Loads the library at `path` and reads its header and modules. On failure
// reports why, leaves nothing loaded and returns false.
bool loadPlugin(const std::wstring& path, LoadedPlugin& plugin);

void unloadPlugin(LoadedPlugin& plugin);
