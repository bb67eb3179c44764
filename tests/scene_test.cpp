// Inputs that must never fault or stop the frame, the GL state the drawing
// stages hand on, and the black texture a new context starts with.
#include "tests/support/pixels.h"
#include "tests/support/player.h"

#include <GL/glu.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

constexpr int lit = 24;

using SceneTest = PlayerTest;

// True when a texel within two rows of y in column x holds something.
bool litNear(const Picture& picture, int x, double y) {
    for (int row = static_cast<int>(y) - 2; row <= static_cast<int>(y) + 2; ++row)
        if (row >= 0 && row < 512 && picture.level(x, row) > lit)
            return true;
    return false;
}

// The record is copied so that the second waveform row ends where a page
// that may not be read begins: any read past the rows faults. Row 0 alone
// turns the cube; only rows below the channel count make dots; the ring
// comes from row 0 whenever there is a channel.
TEST_F(SceneTest, NoChannelCountOrSampleReadsPastTheRows) {
    load(seamLibrary);
    access().platform->GetTickCount = readTestTick;
    testTick = 100000;
    ASSERT_EQ(start(), 0);

    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    auto* pages = static_cast<unsigned char*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD previous = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &previous));
    const size_t rowsEnd = offsetof(visModule, waveformBytes) + sizeof module->waveformBytes;
    auto* guarded = reinterpret_cast<visModule*>(pages + page - rowsEnd);
    std::memcpy(guarded, module, rowsEnd);
    std::memset(guarded->spectrumBytes, 255, sizeof guarded->spectrumBytes);

    const int counts[] = {0, -1, INT_MIN, 1, 2, 3, 1000, INT_MAX};
    for (unsigned char byte : {0x7F, 0x80}) {
        const double v = byte ^ 0x80;
        for (int count : counts) {
            SCOPED_TRACE(testing::Message() << "channelCount " << count << ", bytes " << static_cast<int>(byte));
            guarded->channelCount = count;
            std::memset(guarded->waveformBytes, byte, sizeof guarded->waveformBytes);
            glBindTexture(GL_TEXTURE_2D, access().textureNames[0]);
            paintBoundTexture(0, 0, 512, 512, 0);
            *access().rotationAngle = 0;

            testTick += 25;
            EXPECT_EQ(module->renderHook(guarded), 0);
            pump();
            glBindTexture(GL_TEXTURE_2D, access().textureNames[0]);
            const Picture picture = readBoundTexture();

            const int rows = count <= 0 ? 0 : count == 1 ? 1 : 2;
            EXPECT_NEAR(*access().rotationAngle, rows ? 130.05 : 0.0, 1e-4);
            // Layout x 100, left of the ring and the cube.
            EXPECT_EQ(litNear(picture, 64, (60 + 0.6 * v) * texelsPerUnitY), rows >= 1);
            EXPECT_EQ(litNear(picture, 64, (360 + 0.6 * v) * texelsPerUnitY), rows >= 2);
            bool ring = false;
            for (int x = 160; x < 256; ++x)  // layout x 250 to 400, at the middle's height
                ring = ring || picture.level(x, 256) > lit;
            EXPECT_EQ(ring, rows >= 1);
        }
    }
    VirtualFree(pages, 0, MEM_RELEASE);
}

// Whatever a stage finds, it hands on depth testing on and blending off;
// the quad gives both matrices back, the figures leave the window-pixel
// projection with texturing on and a white colour.
TEST_F(SceneTest, StagesHandOnTheStateTheNextStageExpects) {
    load(seamLibrary);
    ASSERT_EQ(start(), 0);
    DravikTestAccess& inner = access();

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 5, -7, 11, -13, 17);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(1, 2, 3);
    glBindTexture(GL_TEXTURE_2D, 0);
    const std::vector<GLdouble> projection = glMatrix(GL_PROJECTION_MATRIX);
    const std::vector<GLdouble> modelview = glMatrix(GL_MODELVIEW_MATRIX);
    inner.drawFeedbackQuad(0);
    EXPECT_EQ(glMatrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(glMatrix(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(static_cast<GLuint>(glInteger(GL_TEXTURE_BINDING_2D)), inner.textureNames[0]);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.95f);

    inner.resizeScene(800, 600);
    gluLookAt(0.0, 0.0, -10.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    module->channelCount = 2;
    inner.drawScene(module);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, 0, 0.1);
    const std::vector<GLdouble> windowPixels = glMatrix(GL_PROJECTION_MATRIX);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const std::vector<GLdouble> identity = glMatrix(GL_MODELVIEW_MATRIX);
    inner.drawScene(module);
    EXPECT_EQ(glMatrix(GL_PROJECTION_MATRIX), windowPixels);
    EXPECT_EQ(glMatrix(GL_MODELVIEW_MATRIX), identity);
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (GLfloat component : colour)
        EXPECT_EQ(component, 1.0f);
}

void* noMemory(size_t, size_t) {
    return nullptr;
}

// A new texture is black, bound and complete without mipmaps, also when
// the memory for its zero buffer cannot be had.
TEST_F(SceneTest, NewTextureIsBlackEvenWithoutMemoryForItsZeros) {
    load(seamLibrary);
    ASSERT_EQ(start(), 0);
    DravikTestAccess& inner = access();
    for (bool memory : {true, false}) {
        SCOPED_TRACE(memory ? "zero buffer" : "no memory");
        if (!memory)
            inner.platform->calloc = noMemory;
        // Something bright in the memory a new texture may take over.
        GLuint old = 0;
        glGenTextures(1, &old);
        glBindTexture(GL_TEXTURE_2D, old);
        std::vector<unsigned char> white(512 * 512 * 3, 255);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 512, 512, 0, GL_RGB, GL_UNSIGNED_BYTE, white.data());
        glDeleteTextures(1, &old);

        GLuint names[2] = {};
        inner.createBlankTexture(names, 512, 3, GL_RGB, 1);
        ASSERT_NE(names[1], 0u);
        EXPECT_EQ(static_cast<GLuint>(glInteger(GL_TEXTURE_BINDING_2D)), names[1]);
        GLint filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        EXPECT_EQ(filter, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
        EXPECT_EQ(filter, GL_LINEAR);
        const Picture picture = readBoundTexture();
        ASSERT_EQ(picture.width, 512);
        ASSERT_EQ(picture.height, 512);
        int brightest = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                brightest = std::max(brightest, picture.level(x, y));
        EXPECT_EQ(brightest, 0);
        glDeleteTextures(1, &names[1]);
    }
    inner.platform->calloc = std::calloc;
}

}  // namespace
