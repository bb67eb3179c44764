// Parsing of the command line. Numbers must be whole and in range: a run
// bounded by a typo would silently do something else.
#include "host/options.h"

#include "host/report.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cwchar>

const char usageText[] =
    "usage: vishost [options] [files...]\n"
    "Plays the files (WAV, Ogg Vorbis, MP3) in order, or a built-in demo piece when\n"
    "none is named, and shows them through a visualization plug-in.\n"
    "  --plugin PATH    the plug-in library (default: vis_dravik.dll beside vishost)\n"
    "  --module N       run module N of the plug-in (default 0)\n"
    "  --list           print the plug-in's title and its modules\n"
    "  --config         run the module's configure hook\n"
    "  --capture DIR    render on a virtual clock and write every frame to DIR as PNG\n"
    "  --virtual-clock  render on a virtual clock as fast as the plug-in goes, with no\n"
    "                   sound and nothing written\n"
    "  --repeat         play the playlist over and over\n"
    "  --stats N        print the frames done and the mean cost of a frame every N frames\n"
    "  --frames N       stop after N frames\n"
    "  --seconds S      stop after S seconds of playing time\n"
    "  --no-sound       keep time with a clock instead of the sound device\n"
    "  --help           print this text\n";

namespace {

bool wholeNumber(const std::wstring& text, long long low, long long& value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstoll(text.c_str(), &end, 10);
    return errno == 0 && *end == L'\0' && value >= low;
}

bool positiveNumber(const std::wstring& text, double& value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstod(text.c_str(), &end);
    return errno == 0 && *end == L'\0' && std::isfinite(value) && value > 0;
}

}  // namespace

bool parseOptions(const std::vector<std::wstring>& args, Options& options, std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, L"--") != 0) {
            if (arg.empty()) {
                error = "an empty file name was given";
                return false;
            }
            options.files.push_back(arg);
            continue;
        }
        if (arg == L"--") {
            optionsEnded = true;
            continue;
        }
        bool takesValue = arg == L"--plugin" || arg == L"--module" || arg == L"--capture" ||
                          arg == L"--frames" || arg == L"--seconds" || arg == L"--stats";
        if (takesValue && i + 1 >= args.size()) {
            error = utf8(arg) + " needs a value";
            return false;
        }
        const std::wstring value = takesValue ? args[++i] : std::wstring();
        long long number = 0;
        if (arg == L"--plugin") {
            options.pluginPath = value;
        } else if (arg == L"--module") {
            if (!wholeNumber(value, 0, number) || number > 0x7fffffff) {
                error = "--module needs a whole number 0 or above, not \"" + utf8(value) + "\"";
                return false;
            }
            options.module = static_cast<int>(number);
        } else if (arg == L"--capture") {
            if (value.empty()) {
                error = "--capture needs a directory";
                return false;
            }
            options.captureDirectory = value;
        } else if (arg == L"--frames") {
            if (!wholeNumber(value, 1, number)) {
                error = "--frames needs a whole number 1 or above, not \"" + utf8(value) + "\"";
                return false;
            }
            options.frames = number;
        } else if (arg == L"--stats") {
            if (!wholeNumber(value, 1, number)) {
                error = "--stats needs a whole number 1 or above, not \"" + utf8(value) + "\"";
                return false;
            }
            options.statsEvery = number;
        } else if (arg == L"--seconds") {
            if (!positiveNumber(value, options.seconds)) {
                error = "--seconds needs a number above 0, not \"" + utf8(value) + "\"";
                return false;
            }
        } else if (arg == L"--list") {
            options.list = true;
        } else if (arg == L"--config") {
            options.config = true;
        } else if (arg == L"--virtual-clock") {
            options.virtualClock = true;
        } else if (arg == L"--repeat") {
            options.repeat = true;
        } else if (arg == L"--no-sound") {
            options.noSound = true;
        } else if (arg == L"--help") {
            options.help = true;
        } else {
            error = "unknown option " + utf8(arg);
            return false;
        }
    }
    if (options.list && options.config) {
        error = "--list and --config cannot be used together";
        return false;
    }
    // Endless captured frames would fill the disk.
    if (options.repeat && !options.captureDirectory.empty() && options.frames < 0 && options.seconds < 0) {
        error = "--capture with --repeat needs --frames or --seconds";
        return false;
    }
    return true;
}
