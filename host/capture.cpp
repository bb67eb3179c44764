// Window pixels through GDI and PNG files through stb_image_write.
#include "host/capture.h"

#include "host/report.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <cstdio>

namespace {

BOOL CALLBACK takeFirstVisible(HWND window, LPARAM found) {
    if (!IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

HWND findThreadWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), takeFirstVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool readWindowPixels(HWND window, int& width, int& height, std::vector<uint8_t>& rgb) {
    RECT client;
    if (!GetClientRect(window, &client)) {
        reportFailure("reading the size of the plug-in's window");
        return false;
    }
    width = client.right - client.left;
    height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        reportError("the plug-in's window has no area to capture");
        return false;
    }
    HDC windowDc = GetDC(window);
    if (!windowDc) {
        reportFailure("taking the plug-in window's device context");
        return false;
    }
    bool ok = false;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = memoryDc ? CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                              : nullptr;
    HGDIOBJ previous = bitmap ? SelectObject(memoryDc, bitmap) : nullptr;
    if (!memoryDc || !bitmap || !previous) {
        reportFailure("making a bitmap for the capture");
    } else if (!BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY)) {
        reportFailure("copying the plug-in window's pixels");
    } else {
        GdiFlush();
        const auto* bgrx = static_cast<const uint8_t*>(bits);
        rgb.resize(static_cast<size_t>(width) * height * 3);
        for (size_t i = 0, count = static_cast<size_t>(width) * height; i < count; ++i) {
            rgb[i * 3] = bgrx[i * 4 + 2];
            rgb[i * 3 + 1] = bgrx[i * 4 + 1];
            rgb[i * 3 + 2] = bgrx[i * 4];
        }
        ok = true;
    }
    if (previous)
        SelectObject(memoryDc, previous);
    if (bitmap)
        DeleteObject(bitmap);
    if (memoryDc)
        DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return ok;
}

bool writePng(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgb.data(), width * 3)) {
        reportError("encoding " + utf8(path) + " as PNG failed");
        return false;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reportFailure("creating " + utf8(path));
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) &&
              written == png.size();
    DWORD code = GetLastError();
    if (!CloseHandle(file) && ok) {
        code = GetLastError();
        ok = false;
    }
    if (!ok) {
        reportFailure("writing " + utf8(path), code);
        DeleteFileW(path.c_str());  // no half-written picture left behind
    }
    return ok;
}

std::wstring framePath(const std::wstring& directory, long long number) {
    wchar_t name[32];
    swprintf(name, 32, L"frame-%06lld.png", number);
    std::wstring path = directory;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    return path + name;
}

bool makeDirectory(const std::wstring& directory) {
    if (CreateDirectoryW(directory.c_str(), nullptr))
        return true;
    DWORD code = GetLastError();
    DWORD attributes = GetFileAttributesW(directory.c_str());
    if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    reportFailure("making the capture directory " + utf8(directory), code);
    return false;
}
