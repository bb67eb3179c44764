// What the window shows: the scene figures where their inputs put them, the
// feedback texture fading and drawing in over later refreshes, the picture
// upright with its black margins. Read back from the feedback texture (the
// 800 x 600 layout squeezed into 512 x 512 texels) and from the window.
#include "tests/support/pixels.h"
#include "tests/support/player.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int lit = 24;  // a level above this is something drawn on black

class PictureTest : public PlayerTest {
protected:
    // The test build on a clock that makes every frame a refresh, with a
    // silent spectrum and every waveform byte as given.
    void startSilent(int channelCount, unsigned char waveformByte) {
        load(seamLibrary);
        access().platform->GetTickCount = readTestTick;
        testTick = 100000;
        ASSERT_EQ(start(), 0);
        module->channelCount = channelCount;
        std::memset(module->spectrumBytes, 0, sizeof module->spectrumBytes);
        std::memset(module->waveformBytes, waveformByte, sizeof module->waveformBytes);
    }

    // One frame with a scene pass; the feedback texture it leaves.
    Picture refresh() {
        testTick += 25;
        frame();
        glBindTexture(GL_TEXTURE_2D, access().textureNames[0]);
        return readBoundTexture();
    }

    // Replaces the whole feedback texture with one grey level.
    void paintTexture(unsigned char level) {
        glBindTexture(GL_TEXTURE_2D, access().textureNames[0]);
        paintBoundTexture(0, 0, 512, 512, level);
    }
};

// Rows of one texel column that hold something, from the bottom up.
std::vector<int> litRows(const Picture& picture, int x, int from, int to) {
    std::vector<int> rows;
    for (int y = from; y < to; ++y)
        if (picture.level(x, y) > lit)
            rows.push_back(y);
    return rows;
}

// The topmost lit row of a column below a limit, or -1.
int topOfColumn(const Picture& picture, int x, int below) {
    for (int y = below - 1; y >= 0; --y)
        if (picture.level(x, y) > lit)
            return y;
    return -1;
}

// Waveform bytes at silence and both extremes, both rows alike: the dot
// traces at 0.1 and 0.6 of the height plus 0.6 v units, the bars v/2 high,
// the ring (v + 20)/2 units around the middle.
TEST_F(PictureTest, FiguresStandAtTheHeightsTheirSamplesGive) {
    struct Case {
        unsigned char byte;
        double v;
    };
    const Case cases[] = {{0x80, 0}, {0x00, 128}, {0x7F, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        startSilent(2, c.byte);
        const Picture picture = refresh();

        const double trace0 = (60 + 0.6 * c.v) * texelsPerUnitY;
        const double trace1 = (360 + 0.6 * c.v) * texelsPerUnitY;
        const double barTop = c.v / 2 * texelsPerUnitY;
        // Columns left of the ring and the cube.
        for (int x = 30; x < 150; x += 20) {
            SCOPED_TRACE(x);
            std::vector<int> rows = litRows(picture, x, static_cast<int>(barTop) + 4, 512);
            ASSERT_FALSE(rows.empty());
            EXPECT_NEAR(rows.front(), trace0, 2.0);
            EXPECT_NEAR(rows.back(), trace1, 2.0);
            for (int y : rows)
                EXPECT_TRUE(std::fabs(y - trace0) <= 2.0 || std::fabs(y - trace1) <= 2.0) << y;
        }
        // The middle of every bar, below the trace and the ring; the bars
        // fill the width.
        const double radius = (c.v + 20) / 2;
        const double ringBottom = (300 - radius) * texelsPerUnitY;
        for (int k = 1; k <= 12; ++k) {
            SCOPED_TRACE(k);
            const int x = static_cast<int>((k - 0.5) * 800.0 / 12 * texelsPerUnitX);
            const int top = topOfColumn(picture, x, static_cast<int>(std::min(trace0, ringBottom)) - 3);
            if (c.v == 0) {
                EXPECT_EQ(top, -1);
            } else {
                EXPECT_NEAR(top, barTop, 2.0);
            }
        }
        // The ring: its lit texels, away from the traces and the cube, lie
        // between the chords' middles and the vertices' radius.
        double farthest = 0, sumX = 0, sumY = 0;
        int count = 0;
        for (int y = static_cast<int>(barTop) + 4; y < 420; ++y) {
            if (std::fabs(y - trace0) < 5 || std::fabs(y - trace1) < 5)
                continue;
            for (int x = 150; x < 310; ++x) {  // the cube starts at about 318
                if (picture.level(x, y) <= lit)
                    continue;
                const double dx = (x + 0.5) / texelsPerUnitX - 400;
                const double dy = (y + 0.5) / texelsPerUnitY - 300;
                const double distance = std::hypot(dx, dy);
                EXPECT_GE(distance, radius * std::cos(0.3125) - 3) << x << "," << y;
                EXPECT_LE(distance, radius + 3) << x << "," << y;
                farthest = std::max(farthest, distance);
                sumX += dx;
                sumY += dy;
                ++count;
            }
        }
        ASSERT_GT(count, 20);
        EXPECT_NEAR(farthest, radius, 3.0);
        if (c.v < 255) {  // the whole ring lies in the window looked at
            EXPECT_NEAR(sumX / count, 0.0, 3.0);
            EXPECT_NEAR(sumY / count, 0.0, 3.0);
        }
        unload();
    }
}

// The cube's centre runs along an ellipse of half-axes 5 and 4 at z = 10,
// 20 units in front of the camera at -z, which shows world +x to the left.
TEST_F(PictureTest, CubeStandsWhereItsAngleTakesIt) {
    const double halfHeight = 20 * std::tan(22.5 * pi / 180);
    const double halfWidth = halfHeight * 4 / 3;
    for (double t : {0.0, pi / 2, pi, 3 * pi / 2}) {
        SCOPED_TRACE(t);
        startSilent(0, 0x80);  // no dots, no ring, bars of height 0
        *access().rotationAngle = t / 0.007073552829466919;
        const Picture picture = refresh();

        double sumX = 0, sumY = 0;
        int count = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                if (picture.level(x, y) > 4) {
                    sumX += x + 0.5;
                    sumY += y + 0.5;
                    ++count;
                }
        ASSERT_GT(count, 1000);
        const double expectedX = (400 + 5 * std::cos(t) / halfWidth * 400) * texelsPerUnitX;
        const double expectedY = (300 - 4 * std::sin(t) / halfHeight * 300) * texelsPerUnitY;
        EXPECT_NEAR(sumX / count, expectedX, 8.0);
        EXPECT_NEAR(sumY / count, expectedY, 8.0);
        unload();
    }
}

// A silent spectrum leaves the cube where it was, to the texel; row 0's
// first 51 values at 255 turn it by 130.05 degrees per refresh.
TEST_F(PictureTest, CubeStandsStillUntilTheSpectrumMovesIt) {
    startSilent(1, 0x80);
    const Picture first = refresh();
    const Picture second = refresh();
    EXPECT_EQ(*access().rotationAngle, 0.0);
    // The cube's middle at angle 0, in texels.
    int differing = 0;
    for (int y = 236; y < 276; ++y)
        for (int x = 352; x < 392; ++x)
            for (int i = 0; i < 3; ++i)
                differing += std::abs(first.at(x, y)[i] - second.at(x, y)[i]) > 2;
    EXPECT_EQ(differing, 0);

    std::memset(module->spectrumBytes[0], 255, 51);
    refresh();
    EXPECT_NEAR(*access().rotationAngle, 130.05, 1e-4);
    refresh();
    EXPECT_NEAR(*access().rotationAngle, 260.10, 1e-4);
}

// A grey patch that no figure covers comes back after each refresh at 0.95
// of its level, 0.975 of its width and 0.9667 of its height about the middle.
TEST_F(PictureTest, OldPictureFadesAndDrawsInTowardsTheMiddle) {
    startSilent(0, 0x80);  // only the cube, at the right
    refresh();
    glBindTexture(GL_TEXTURE_2D, access().textureNames[0]);
    paintBoundTexture(64, 384, 64, 64, 255);  // texels x 64..127, y 384..447

    const double left = 64, right = 128, bottom = 384, top = 448;
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE(n);
        const Picture picture = refresh();
        const double sx = std::pow(0.975, n), sy = std::pow(580.0 / 600, n);
        const double l = 256 + (left - 256) * sx, r = 256 + (right - 256) * sx;
        const double b = 256 + (bottom - 256) * sy, t = 256 + (top - 256) * sy;
        const int midX = static_cast<int>((l + r) / 2), midY = static_cast<int>((b + t) / 2);
        EXPECT_NEAR(picture.level(midX, midY), 255 * std::pow(0.95, n), 4 + n * 0.5);
        // Two texels in from each edge it is the patch, two out it is black.
        EXPECT_GT(picture.level(static_cast<int>(l + 2), midY), 100);
        EXPECT_LT(picture.level(static_cast<int>(l - 2), midY), lit);
        EXPECT_GT(picture.level(static_cast<int>(r - 2), midY), 100);
        EXPECT_LT(picture.level(static_cast<int>(r + 2), midY), lit);
        EXPECT_GT(picture.level(midX, static_cast<int>(b + 2)), 100);
        EXPECT_LT(picture.level(midX, static_cast<int>(b - 2)), lit);
        EXPECT_GT(picture.level(midX, static_cast<int>(t - 2)), 100);
        EXPECT_LT(picture.level(midX, static_cast<int>(t + 2)), lit);
    }
}

// After a refresh the outer 6.4 texels left and right and 8.53 at the top
// and bottom of the square hold nothing of the old picture.
TEST_F(PictureTest, RefreshLeavesBlackMarginsAroundTheOldPicture) {
    startSilent(0, 0x80);
    refresh();
    paintTexture(255);
    const Picture picture = refresh();
    for (int y = 0; y < 512; ++y)
        for (int x : {0, 5, 507, 511})
            ASSERT_EQ(picture.level(x, y), 0) << x << "," << y;
    for (int x = 0; x < 512; ++x)
        for (int y : {0, 7, 504, 511})
            ASSERT_EQ(picture.level(x, y), 0) << x << "," << y;
    for (int x : {8, 100, 503})
        for (int y : {10, 100, 500})
            EXPECT_NEAR(picture.level(x, y), 242, 2) << x << "," << y;
}

// The window shows the texture at 0.95, upright and unmirrored, inside a
// black margin of 10 pixels; a frame without a refresh shows it again.
TEST_F(PictureTest, WindowShowsTheTextureUprightInsideBlackMargins) {
    startSilent(0, 0x80);
    refresh();
    // Texture: the top-left quarter grey 200, the rest black.
    paintTexture(0);
    paintBoundTexture(0, 256, 256, 256, 200);
    frame();  // same tick: no refresh
    RECT client = {};
    GetClientRect(*access().mainWindow, &client);
    ASSERT_GE(client.right, 792);
    ASSERT_GE(client.bottom, 560);
    // NOTE: under Wine the front buffer reads back black; the back buffer
    // still holds the frame that the swap presented.
    const Picture screen = readBuffer(GL_BACK, client.right, client.bottom);

    // Window pixels from the lower left; the quad spans 10..790 across and
    // 10..590 up, clipped by the client area at the top.
    struct Probe {
        int x, y, level;
    };
    const Probe probes[] = {
        {200, 450, 190},  // top left: 0.95 x 200
        {600, 450, 0},    // top right
        {200, 150, 0},    // bottom left
        {600, 150, 0},    // bottom right
        {380, 320, 190},  // just inside the quarter's corner
        {420, 280, 0},    // just outside it
    };
    for (const Probe& probe : probes)
        EXPECT_NEAR(screen.level(probe.x, probe.y), probe.level, 2) << probe.x << "," << probe.y;
    for (int y = 0; y < client.bottom; ++y)
        for (int x : {0, 9, 791, static_cast<int>(client.right) - 1})
            ASSERT_EQ(screen.level(x, y), 0) << x << "," << y;
    for (int x = 0; x < client.right; ++x)
        for (int y : {0, 9})
            ASSERT_EQ(screen.level(x, y), 0) << x << "," << y;
}

}  // namespace
