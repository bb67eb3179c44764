// The bitmap font: 96 display lists made once from a system face, and the
// printing of formatted text through them. Where the text goes and in which
// colour is the caller's affair: it sets the raster position after the colour.
#include "window/font.h"

#include "shared/state.h"

#include <windows.h>
#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

void buildFont(const char* face, int height) {
    fontBase = glGenLists(fontCharCount);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face);
    HGDIOBJ previous = SelectObject(deviceContext, font);
    wglUseFontBitmapsA(deviceContext, fontFirstChar, fontCharCount, fontBase);
    SelectObject(deviceContext, previous);
    DeleteObject(font);
}

void printText(const char* fmt, ...) {
    if (!fmt)
        return;
    char text[256];
    va_list values;
    va_start(values, fmt);
    const int written = vsnprintf(text, sizeof text, fmt, values);
    va_end(values);
    if (written < 0)
        text[0] = '\0';  // a conversion that cannot be formatted draws nothing
    text[sizeof text - 1] = '\0';

    glPushAttrib(GL_LIST_BIT);
    // Wraps below zero on purpose: byte b then calls list fontBase + (b - 32).
    glListBase(fontBase - static_cast<GLuint>(fontFirstChar));
    glCallLists(static_cast<GLsizei>(strlen(text)), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}
