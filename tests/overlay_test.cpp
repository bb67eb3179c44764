// The overlay as it reaches the window: the title in its cycling colour at
// (20, 20), the progress bar along the bottom edge, the colour phases, and the
// baseline GL state left behind.
#include "tests/support/feedback.h"
#include "tests/support/player.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr float tolerance = 1e-5f;

class Overlay : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        load(seamLibrary);
        ASSERT_EQ(start(), 0);
    }

    void setTitle(const char* title) { strcpy(access().songTitle, title); }

    // The bitmaps one frame drew: one per character of the title.
    std::vector<FeedbackItem> titleGlyphsOfAFrame() {
        return itemsOf(captureFeedback([&] { frame(); }), GL_BITMAP_TOKEN);
    }

    // The bar's polygons in what one frame draws, told by their colour.
    std::vector<FeedbackItem> barPolygonsOfAFrame() {
        std::vector<FeedbackItem> bars;
        for (const FeedbackItem& item :
             itemsOf(captureFeedback([&] { frame(); }), GL_POLYGON_TOKEN)) {
            const FeedbackVertex& v = item.vertices.front();
            if (std::fabs(v.red - 0.2f) < tolerance && std::fabs(v.green - 0.6f) < tolerance &&
                std::fabs(v.blue - 0.9f) < tolerance && std::fabs(v.alpha - 0.5f) < tolerance)
                bars.push_back(item);
        }
        return bars;
    }
};

void expectColour(const FeedbackVertex& vertex, double red, double green, double blue,
                  double alpha) {
    EXPECT_NEAR(vertex.red, red, tolerance);
    EXPECT_NEAR(vertex.green, green, tolerance);
    EXPECT_NEAR(vertex.blue, blue, tolerance);
    EXPECT_NEAR(vertex.alpha, alpha, tolerance);
}

TEST_F(Overlay, EveryFrameDrawsTheTitleAt20x20InItsCyclingColour) {
    static const char title[] = "Hello";
    titleAddresses[0] = reinterpret_cast<LRESULT>(title);

    // First frame after load: both phases 0.
    std::vector<FeedbackItem> glyphs = titleGlyphsOfAFrame();
    ASSERT_EQ(glyphs.size(), strlen(title));
    EXPECT_EQ(glyphs[0].vertices[0].x, 20.0f);
    EXPECT_EQ(glyphs[0].vertices[0].y, 20.0f);
    for (const FeedbackItem& glyph : glyphs)
        expectColour(glyph.vertices[0], 1.0, 0.0, 0.5, 0.5);
    EXPECT_EQ(*access().cyclePhaseA, 0.051f);
    EXPECT_EQ(*access().cyclePhaseB, 0.005f);

    // The next frame uses the advanced phases; the title stays where it was.
    glyphs = titleGlyphsOfAFrame();
    ASSERT_EQ(glyphs.size(), strlen(title));
    EXPECT_EQ(glyphs[0].vertices[0].x, 20.0f);
    EXPECT_EQ(glyphs[0].vertices[0].y, 20.0f);
    const double a = 0.051f;
    const double b = 0.005f;
    expectColour(glyphs[0].vertices[0], std::cos(a), std::sin(b), 1.0 - 0.5 * std::cos(a + b), 0.5);
    EXPECT_EQ(*access().cyclePhaseA, static_cast<float>(a + 0.051f));
    EXPECT_EQ(*access().cyclePhaseB, static_cast<float>(b + 0.005f));
}

TEST_F(Overlay, PhasesAdvanceAtSinglePrecision) {
    struct Row {
        float a, b, nextA, nextB;
    };
    const Row rows[] = {
        {262144.0f, 0.0f, 262144.0625f, 0.005f},  // steps of 1/16 from here on
        {1048576.0f, 131072.0f, 1048576.0f, 131072.0f},  // no longer moves
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.a);
        *access().cyclePhaseA = row.a;
        *access().cyclePhaseB = row.b;
        access().drawOverlay();
        EXPECT_EQ(*access().cyclePhaseA, row.nextA);
        EXPECT_EQ(*access().cyclePhaseB, row.nextB);
    }
}

struct BarCase {
    int position;  // milliseconds
    int length;    // seconds
    double width;  // layout pixels visible; 0 for no bar
};

const BarCase barCases[] = {
    {100000, 200, 400.0},
    {250, 1, 200.0},
    {200000, 200, 800.0},   // the end of the song reaches the right edge
    {400000, 200, 800.0},   // past the end: cut off at the right edge
    {INT_MAX, 1, 800.0},    // no integer overflow on the way
    {0, 200, 0.0},
    {-5000, 200, 0.0},      // left of the window
    {INT_MIN, 1, 0.0},
    {1000, -1, 0.0},
    {5000, 0, 0.0},         // a song of length 0 has no bar
    {0, 0, 0.0},
    {-5000, 0, 0.0},
};

TEST_F(Overlay, BarShowsThePlayedFractionAlongTheBottomEdge) {
    for (const BarCase& row : barCases) {
        SCOPED_TRACE(testing::Message() << "position " << row.position << " length " << row.length);
        // A fresh load asks for the length on its first frame.
        unload();
        load(seamLibrary);
        ASSERT_EQ(start(), 0);
        position = row.position;
        length = row.length;
        const std::vector<FeedbackItem> bars = barPolygonsOfAFrame();
        if (row.width == 0.0) {
            // Nothing of the bar may show: no polygon, or one of no width.
            for (const FeedbackItem& bar : bars)
                for (const FeedbackVertex& v : bar.vertices)
                    EXPECT_EQ(v.x, 0.0f);
            continue;
        }
        // The quad may come back as one polygon or as two triangles.
        ASSERT_FALSE(bars.empty());
        float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f;
        for (const FeedbackItem& bar : bars)
            for (const FeedbackVertex& v : bar.vertices) {
                left = std::fmin(left, v.x);
                right = std::fmax(right, v.x);
                bottom = std::fmin(bottom, v.y);
                top = std::fmax(top, v.y);
            }
        EXPECT_EQ(left, 0.0f);
        EXPECT_NEAR(right, row.width, 1e-3);
        EXPECT_EQ(bottom, 0.0f);
        EXPECT_EQ(top, 15.0f);
    }
}

// Counts the pixels of rect (x, y, width, height) in the back buffer whose
// colour is within 3 of (red, green, blue).
int pixelsOfColour(int x, int y, int width, int height, int red, int green, int blue) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int count = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
        if (std::abs(pixels[i] - red) <= 3 && std::abs(pixels[i + 1] - green) <= 3 &&
            std::abs(pixels[i + 2] - blue) <= 3)
            ++count;
    return count;
}

TEST_F(Overlay, TitleAndBarAreAddedToThePicture) {
    setTitle("Hello");
    *access().songPosition = 100000;
    *access().songLength = 200;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    access().drawOverlay();
    glFinish();

    // Half of (1, 0, 0.5) and half of (0.2, 0.6, 0.9) added to black.
    const int title[] = {128, 0, 64};
    const int bar[] = {26, 77, 115};
    // The glyphs stand on the baseline at y = 20, 13 pixels apart.
    const int titlePixels = pixelsOfColour(20, 20, 5 * 13, 24, title[0], title[1], title[2]);
    EXPECT_GT(titlePixels, 100);
    EXPECT_EQ(pixelsOfColour(0, 0, 700, 500, title[0], title[1], title[2]), titlePixels)
        << "title pixels away from (20, 20)";

    EXPECT_EQ(pixelsOfColour(0, 0, 400, 15, bar[0], bar[1], bar[2]), 400 * 15);
    EXPECT_EQ(pixelsOfColour(400, 0, 300, 15, 0, 0, 0), 300 * 15);
    EXPECT_EQ(pixelsOfColour(0, 15, 400, 1, bar[0], bar[1], bar[2]), 0);
}

TEST_F(Overlay, LeavesTheBaselineWithTheWindowPixelProjection) {
    access().drawOverlay();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(glInteger(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<GLfloat>(colour, colour + 4), std::vector<GLfloat>({1, 1, 1, 1}));

    // glOrtho(0, 800, 0, 600, 0, 0.1) and an identity modelview.
    const std::vector<GLdouble> ortho = {2.0 / 800, 0, 0, 0, 0, 2.0 / 600, 0, 0,
                                         0, 0, -2.0 / 0.1, 0, -1, -1, -1, 1};
    const std::vector<GLdouble> projection = glMatrix(GL_PROJECTION_MATRIX);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(projection[i], ortho[i], 1e-6) << "element " << i;
    const std::vector<GLdouble> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(glMatrix(GL_MODELVIEW_MATRIX), identity);
}

}  // namespace
