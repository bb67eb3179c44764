// The child-process runner, the probe record reader and the fixture writers.
#include "tests/host/host_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::string quoted(const std::string& arg) {
    std::string text = "\"";
    for (char c : arg)
        text += c == '"' ? std::string("\\\"") : std::string(1, c);
    return text + "\"";
}

void removeTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void put32(std::string& out, uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

}  // namespace

HostRun runHost(const std::vector<std::string>& args, const Environment& environment,
                const std::function<void(HANDLE process)>& whileRunning) {
    HostRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed";
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    // NOTE: under Wine the first process of a session to touch the desktop
    // starts the desktop process, which inherits that process's output and
    // lives as long as the session's programs do. Touching it here first keeps
    // it from holding the child's output pipe open while this test waits.
    GetDesktopWindow();

    std::string commandLine = "vishost.exe";
    for (const std::string& arg : args)
        commandLine += " " + quoted(arg);
    std::vector<std::pair<std::string, std::string>> saved;
    for (const auto& [name, value] : environment) {
        char old[4096];
        DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
        saved.emplace_back(name, length ? std::string(old, length) : std::string("\x01"));
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    for (const auto& [name, value] : saved)
        SetEnvironmentVariableA(name.c_str(), value == "\x01" ? nullptr : value.c_str());
    CloseHandle(writeEnd);
    if (!started) {
        ADD_FAILURE() << "cannot start " << commandLine;
        CloseHandle(readEnd);
        return run;
    }
    std::thread reader([&] {
        char buffer[4096];
        DWORD count = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) && count)
            run.output.append(buffer, count);
    });
    if (whileRunning)
        whileRunning(process.hProcess);
    if (WaitForSingleObject(process.hProcess, 90000) != WAIT_OBJECT_0) {
        run.timedOut = true;
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    reader.join();
    // Text written in the C runtime's text mode ends its lines with CR LF.
    for (size_t at = run.output.find("\r\n"); at != std::string::npos; at = run.output.find("\r\n", at))
        run.output.erase(at, 1);
    CloseHandle(readEnd);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}

long long ProbeEvent::number(const std::string& name) const {
    auto found = fields.find(name);
    EXPECT_NE(found, fields.end()) << "no field " << name << " in a " << kind << " line";
    return found == fields.end() ? 0 : std::stoll(found->second);
}

std::string ProbeEvent::bytes(const std::string& name) const {
    auto found = fields.find(name);
    EXPECT_NE(found, fields.end()) << "no field " << name << " in a " << kind << " line";
    std::string out;
    if (found == fields.end() || found->second == "null")
        return out;
    const std::string& hex = found->second;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::vector<ProbeEvent> readProbeLog(const std::string& path) {
    std::vector<ProbeEvent> events;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        ProbeEvent event;
        words >> event.kind;
        std::string word;
        while (words >> word) {
            size_t equals = word.find('=');
            event.fields[word.substr(0, equals)] = equals == std::string::npos ? "" : word.substr(equals + 1);
        }
        events.push_back(event);
    }
    return events;
}

std::string testDirectory() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\')
            c = '_';
    CreateDirectoryA("host-tmp", nullptr);
    std::string path = "host-tmp\\" + name;
    removeTree(path);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void writeWav(const std::string& path, int rate, int channels, const std::vector<float>& samples,
              const std::string& title) {
    std::string data;
    for (float value : samples)
        put16(data, static_cast<uint16_t>(static_cast<int16_t>(std::lrint(std::fmax(-1.0f, std::fmin(1.0f, value)) * 32767))));
    std::string body = "WAVE";
    body += "fmt ";
    put32(body, 16);
    put16(body, 1);
    put16(body, channels);
    put32(body, rate);
    put32(body, rate * channels * 2);
    put16(body, channels * 2);
    put16(body, 16);
    if (!title.empty()) {
        std::string text = title + '\0';
        if (text.size() & 1)
            text += '\0';
        std::string info = "INFO";
        info += "INAM";
        put32(info, static_cast<uint32_t>(title.size() + 1));
        info += text;
        body += "LIST";
        put32(body, static_cast<uint32_t>(info.size()));
        body += info;
    }
    body += "data";
    put32(body, static_cast<uint32_t>(data.size()));
    body += data;
    std::string file = "RIFF";
    put32(file, static_cast<uint32_t>(body.size()));
    writeFileBytes(path, file + body);
}

std::string readFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
