// Error lines and the text conversions they need.
#include "host/report.h"

#include <cstdio>

void reportError(const std::string& text) {
    std::fprintf(stderr, "vishost: %s\n", text.c_str());
    std::fflush(stderr);
}

std::string systemReason(DWORD code) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string reason;
    if (length && buffer) {
        reason.assign(buffer, length);
        LocalFree(buffer);
    }
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    if (reason.empty()) {
        char number[32];
        std::snprintf(number, sizeof number, "system error %lu", static_cast<unsigned long>(code));
        reason = number;
    }
    return reason;
}

void reportFailure(const std::string& operation, DWORD code) {
    reportError(operation + " failed: " + systemReason(code));
}

namespace {

std::string narrow(const std::wstring& text, UINT codePage) {
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0],
                            size, nullptr, nullptr);
    return result;
}

}  // namespace

std::string utf8(const std::wstring& text) {
    return narrow(text, CP_UTF8);
}

// Characters outside the code page become '?'.
std::string windows1252(const std::wstring& text) {
    return narrow(text, 1252);
}

std::string utf8FromWindows1252(const std::string& text) {
    if (text.empty())
        return {};
    int size = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(size > 0 ? size : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return utf8(wide);
}
