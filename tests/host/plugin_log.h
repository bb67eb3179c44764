// The test plug-ins' log: one line appended per call to the file that an
// environment variable names, opened and closed each time so that nothing is
// lost when the host ends the process.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline void appendLogLine(const char* variable, const std::string& line) {
    const char* path = std::getenv(variable);
    if (!path)
        return;
    FILE* file = std::fopen(path, "ab");
    if (!file)
        return;
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
}
