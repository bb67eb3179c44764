// Pictures read back through GL, a clock the tests drive, and the mapping
// from the 800 x 600 layout to the texels of the 512 x 512 feedback texture.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows from the bottom up, as GL returns them

    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    // The brightest component of a pixel, 0..255.
    int level(int x, int y) const {
        const unsigned char* p = at(x, y);
        return std::max({p[0], p[1], p[2]});
    }
};

// Level 0 of the texture bound to GL_TEXTURE_2D.
inline Picture readBoundTexture() {
    Picture picture;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &picture.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &picture.height);
    picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

// A rectangle of the given colour buffer (GL_FRONT, GL_BACK), from the lower left.
inline Picture readBuffer(GLenum buffer, int width, int height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    glFinish();
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    glReadBuffer(GL_BACK);
    return picture;
}

// Replaces a rectangle of the bound texture with one grey level.
inline void paintBoundTexture(int x, int y, int width, int height, unsigned char level) {
    std::vector<unsigned char> block(static_cast<size_t>(width) * height * 3, level);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, block.data());
}

// The scene pass squeezes the 800 x 600 layout into 512 x 512 texels.
constexpr double texelsPerUnitX = 512.0 / 800.0;
constexpr double texelsPerUnitY = 512.0 / 600.0;

// The test build's tick counter reads this value.
inline DWORD testTick;
inline DWORD WINAPI readTestTick() {
    return testTick;
}
