// How the host tells the user what went wrong: one line on the error stream,
// prefixed with the program's name. Platform failures name the operation and
// the system's own reason.
#pragma once

#include <windows.h>

#include <string>

// Prints "vishost: <text>" as one line on the error stream.
void reportError(const std::string& text);

// Prints "vishost: <operation> failed: <reason>" with the reason the system
// gives for `code` (GetLastError's value unless told otherwise).
void reportFailure(const std::string& operation, DWORD code = GetLastError());

// The system's one-line text for an error code, without the trailing newline.
std::string systemReason(DWORD code);

// UTF-8 for the console from a wide string, and Windows-1252 for a plug-in.
std::string utf8(const std::wstring& text);
std::string windows1252(const std::wstring& text);
std::string utf8FromWindows1252(const std::string& text);
