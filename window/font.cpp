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

namespace {

// Leaves the space's list as a blank bitmap that moves the raster position on
// by the space's advance in the font selected into deviceContext.
void remakeSpaceList() {
    // NOTE: the glyph lists of blank characters are compiled from a bitmap with
    // no pixel data; Mesa drops such a bitmap from a display list (and raises
    // GL_OUT_OF_MEMORY), so without this every space in a title would take no
    // room. A one-byte pixel buffer for a 0 x 0 bitmap gives the same list
    // everywhere.
    static const GLubyte blank = 0;
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS metrics = {};
    if (GetGlyphOutlineA(deviceContext, fontFirstChar, GGO_METRICS, &metrics, 0, nullptr,
                         &identity) == GDI_ERROR)
        return;
    glNewList(fontBase, GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, static_cast<GLfloat>(metrics.gmCellIncX),
             static_cast<GLfloat>(metrics.gmCellIncY), &blank);
    glEndList();
}

}  // namespace

void buildFont(const char* face, int height) {
    fontBase = glGenLists(fontCharCount);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face);
    HGDIOBJ previous = SelectObject(deviceContext, font);
    wglUseFontBitmapsA(deviceContext, fontFirstChar, fontCharCount, fontBase);
    remakeSpaceList();
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
