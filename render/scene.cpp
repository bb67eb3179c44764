// The scene figures of each texture refresh: a colour cube that spins and
// travels along an ellipse as far as the spectrum drives it, the waveform as
// dots, twelve bars of waveform averages and a web of chords around the
// middle whose radius follows the waveform. The flat figures are in units of
// the 800 x 600 layout; the scene pass squeezes them into its square.
#include "render/scene.h"

#include "shared/settings.h"
#include "shared/state.h"
#include "window/gl_state.h"

#include <GL/gl.h>

#include <cmath>

double rotationAngle;

namespace {

struct CubeCorner {
    float x, y, z;
    float red, green, blue;
};

// Six faces of four corners, in drawing order; the colour follows the
// position: red (x + 2)/4, green (2 - y)/4, blue (z + 2)/4.
const CubeCorner cube[24] = {
    {-2, 2, -2, 0, 0, 0}, {2, 2, -2, 1, 0, 0}, {2, -2, -2, 1, 1, 0}, {-2, -2, -2, 0, 1, 0},  // z = -2
    {-2, 2, 2, 0, 0, 1},  {2, 2, 2, 1, 0, 1},  {2, -2, 2, 1, 1, 1},  {-2, -2, 2, 0, 1, 1},   // z = 2
    {-2, 2, -2, 0, 0, 0}, {-2, -2, -2, 0, 1, 0}, {-2, -2, 2, 0, 1, 1}, {-2, 2, 2, 0, 0, 1},  // x = -2
    {2, 2, -2, 1, 0, 0},  {2, -2, -2, 1, 1, 0},  {2, -2, 2, 1, 1, 1},  {2, 2, 2, 1, 0, 1},   // x = 2
    {-2, 2, -2, 0, 0, 0}, {2, 2, -2, 1, 0, 0},   {2, 2, 2, 1, 0, 1},   {-2, 2, 2, 0, 0, 1},  // y = 2
    {-2, -2, -2, 0, 1, 0}, {2, -2, -2, 1, 1, 0}, {2, -2, 2, 1, 1, 1},  {-2, -2, 2, 0, 1, 1}, // y = -2
};

constexpr float oneIn576 = 0.0017361111f;
constexpr float oneIn48 = 0.020833334f;

struct Colour {
    float red, green, blue;
};

// A waveform byte as 0..255, silence 128.
double sampleValue(unsigned char byte) {
    return static_cast<double>(byte ^ 0x80);
}

// How many rows of the two the loops over channels may read.
int rowsInUse(int channelCount) {
    return channelCount <= 0 ? 0 : channelCount < visDataRows ? channelCount : visDataRows;
}

// The colour of the dots and bars, cycling with the frame clock.
Colour frameColour() {
    const double f = frameClock;
    return {static_cast<float>(std::cos(0.05f * f)), static_cast<float>(std::sin(0.04f * f)),
            static_cast<float>(1.0f - 0.5f * std::cos(0.05882353f * f))};
}

// The colour of the ring, cycling with the overlay's phases.
Colour ringColour() {
    const double a = cyclePhaseA, b = cyclePhaseB;
    return {static_cast<float>(std::cos(b)), static_cast<float>(std::sin(a)),
            static_cast<float>(1.0f - 0.5f * std::cos(a + b))};
}

// Turns the cube by the spectrum and draws it on its ellipse under the
// frame's projection and camera.
void drawCube(const visModule& module) {
    unsigned spectrumSum = 0;
    if (module.channelCount > 0)
        for (int i = 0; i <= 50; ++i)
            spectrumSum += module.spectrumBytes[0][i];
    rotationAngle += 0.01f * static_cast<double>(spectrumSum);

    const double t = rotationAngle * 0.007073552829466919;  // 1/(45 pi), pi in single precision
    glTranslated(-5.0 * std::cos(t), -4.0 * std::sin(t), 10.0);
    glRotated(rotationAngle, 1.0, 2.0, 3.0);
    glBegin(GL_QUADS);
    for (const CubeCorner& corner : cube) {
        glColor3f(corner.red, corner.green, corner.blue);
        glVertex3f(corner.x, corner.y, corner.z);
    }
    glEnd();
}

// One dot per sample and row in use, sample by sample.
void drawDots(const visModule& module, Colour colour) {
    const int rows = rowsInUse(module.channelCount);
    glColor3f(colour.red, colour.green, colour.blue);
    glBegin(GL_POINTS);
    for (int i = 0; i < visDataBytes; ++i)
        for (int j = 0; j < rows; ++j) {
            const double x = static_cast<double>(i * windowWidth) * oneIn576;
            const double y = windowHeight * (0.5 * j + 0.1 + 0.001 * sampleValue(module.waveformBytes[j][i]));
            glVertex3f(static_cast<float>(x), static_cast<float>(y), 0.0f);
        }
    glEnd();
}

// Thirteen quads on the bottom edge, each half the mean of 48 values; the
// first lies left of the layout and the last takes the first byte of row 1.
void drawBars(const visModule& module, Colour colour) {
    const unsigned char* bytes = &module.waveformBytes[0][0];
    double sum = 0.0;
    glBegin(GL_QUADS);
    for (int i = 0; i <= visDataBytes; ++i) {
        sum += 0.5 * sampleValue(bytes[i]);
        if (i % 48 != 0)
            continue;
        const float h = static_cast<float>(sum * oneIn48);
        const float x0 = static_cast<float>(static_cast<double>((i - 48) * windowWidth) * oneIn576);
        const float x1 = static_cast<float>(static_cast<double>(i * windowWidth) * oneIn576);
        glColor3d(0.0, 0.0, 0.0);
        glVertex3f(x0, 0.0f, 0.0f);
        glColor3f(colour.red, colour.green, colour.blue);
        glVertex3f(x0, h, 0.0f);
        glColor3f(colour.red, colour.green, colour.blue);
        glVertex3f(x1, h, 0.0f);
        glColor3d(0.0, 0.0, 0.0);
        glVertex3f(x1, 0.0f, 0.0f);
        sum = 0.0;
    }
    glEnd();
}

// An open strip of 576 vertices around the middle, 0.625 radians apart, each
// (v + 20)/2 units out: a web of chords. Only row 0 makes a ring.
void drawRing(const visModule& module, Colour colour) {
    glBegin(GL_LINE_STRIP);
    if (module.channelCount >= 1)
        for (int k = 0; k < visDataBytes; ++k) {
            const double theta = static_cast<double>(360 * k) * oneIn576;  // radians
            const double rho = sampleValue(module.waveformBytes[0][k]) + 20.0;
            glColor3f(colour.red, colour.green, colour.blue);
            glVertex3f(static_cast<float>((windowWidth + rho * std::sin(theta)) / 2.0),
                       static_cast<float>((windowHeight + rho * std::cos(theta)) / 2.0), 0.0f);
        }
    glEnd();
}

}  // namespace

// Relies on the frame's perspective and camera, depth test on, blending off.
void drawScene(visModule* module) {
    glDisable(GL_TEXTURE_2D);
    drawCube(*module);

    // Flat figures at depth 0 pass the depth test wherever they fall, in
    // front of the cube.
    loadWindowPixelProjection();

    const Colour colour = frameColour();
    drawDots(*module, colour);
    drawBars(*module, colour);
    drawRing(*module, ringColour());

    glEnable(GL_TEXTURE_2D);
    glColor3d(1.0, 1.0, 1.0);
}
