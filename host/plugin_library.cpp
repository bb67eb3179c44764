// Finding the header and the modules of a plug-in library.
#include "host/plugin_library.h"

#include "host/report.h"

namespace {

// A lookup that never answers null would hold the host forever.
constexpr int moduleLimit = 1024;
constexpr int knownHeaderVersion = 0x101;

}  // namespace

std::wstring defaultPluginPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return L"vis_dravik.dll";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) +
           L"vis_dravik.dll";
}

bool loadPlugin(const std::wstring& path, LoadedPlugin& plugin) {
    const std::string name = utf8(path);
    // NOTE: a full path with LOAD_WITH_ALTERED_SEARCH_PATH lets the plug-in's
    // own dependencies be found beside it, wherever the host was started.
    wchar_t full[MAX_PATH * 4];
    DWORD fullLength = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    if (fullLength == 0 || fullLength >= MAX_PATH * 4) {
        reportFailure("finding the plug-in " + name);
        return false;
    }
    HMODULE library = LoadLibraryExW(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) {
        reportFailure("loading the plug-in " + name);
        return false;
    }
    auto getHeader = reinterpret_cast<visGetHeaderProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "winampVisGetHeader")));
    std::string problem;
    visHeader* header = nullptr;
    std::vector<visModule*> modules;
    if (!getHeader) {
        problem = "has no plug-in entry (no export named winampVisGetHeader)";
    } else if (!(header = getHeader())) {
        problem = "answered no header";
    } else if (header->headerVersion != knownHeaderVersion) {
        char text[96];
        snprintf(text, sizeof text, "has header version 0x%x; this host knows only 0x%x",
                 static_cast<unsigned>(header->headerVersion), knownHeaderVersion);
        problem = text;
    } else if (!header->moduleLookup) {
        problem = "has no module lookup";
    } else {
        while (static_cast<int>(modules.size()) < moduleLimit) {
            visModule* module = header->moduleLookup(static_cast<int>(modules.size()));
            if (!module)
                break;
            modules.push_back(module);
        }
        if (modules.empty())
            problem = "offers no module (its lookup answers null for index 0)";
        else if (static_cast<int>(modules.size()) == moduleLimit)
            problem = "has a module lookup that never answers null";
    }
    if (!problem.empty()) {
        reportError("the plug-in " + name + " " + problem);
        FreeLibrary(library);
        return false;
    }
    plugin.library = library;
    plugin.header = header;
    plugin.modules = modules;
    return true;
}

void unloadPlugin(LoadedPlugin& plugin) {
    if (plugin.library && !FreeLibrary(plugin.library))
        reportFailure("unloading the plug-in");
    plugin = LoadedPlugin();
}
