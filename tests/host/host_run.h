// Running vishost as its users do, from the tests: a child process with its
// output collected, fixture files written on the spot, and the probe
// plug-in's record read back.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct HostRun {
    DWORD exitCode = 0;
    std::string output;   // standard output and standard error, interleaved
    bool timedOut = false;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs vishost.exe from the working directory with `args`. `environment` is
// set for the child only; `whileRunning` is called once the child has started.
HostRun runHost(const std::vector<std::string>& args, const Environment& environment = {},
                const std::function<void(HANDLE process)>& whileRunning = {});

// One line of the probe's record: the event, then its named fields.
struct ProbeEvent {
    std::string kind;
    std::map<std::string, std::string> fields;
    long long number(const std::string& name) const;
    std::string bytes(const std::string& name) const;  // a hex field decoded
};
std::vector<ProbeEvent> readProbeLog(const std::string& path);

// A fresh, empty directory for one test, under the working directory.
std::string testDirectory();

// Writes a WAV file of 16-bit samples (interleaved, full scale -1..1), with
// an INFO title when one is given.
void writeWav(const std::string& path, int rate, int channels, const std::vector<float>& samples,
              const std::string& title = "");

std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
