// The GL state a new context starts from, and the per-frame projection.
#include "tests/support/player.h"

#include <cmath>

namespace {

using GlStateTest = PlayerTest;

// The matrix gluPerspective multiplies in, column-major as GL keeps it.
std::vector<double> perspective(double fovy, double aspect, double zNear, double zFar) {
    const double f = 1.0 / std::tan(fovy * 3.14159265358979323846 / 360.0);
    std::vector<double> m(16, 0.0);
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0;
    m[14] = 2.0 * zFar * zNear / (zNear - zFar);
    return m;
}

const std::vector<double> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void expectMatrixNear(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5 * (1.0 + std::fabs(expected[i]))) << "element " << i;
}

TEST_F(GlStateTest, NewContextHoldsTheBaselineState) {
    load();
    ASSERT_EQ(start(), 0);

    GLfloat clearColour[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    for (GLfloat component : clearColour)
        EXPECT_EQ(component, 0.0f);
    GLdouble clearDepth = 0;
    glGetDoublev(GL_DEPTH_CLEAR_VALUE, &clearDepth);
    EXPECT_EQ(clearDepth, 1.0);

    struct Setting {
        const char* name;
        GLint actual;
        GLint expected;
    };
    const Setting settings[] = {
        {"depth test", glIsEnabled(GL_DEPTH_TEST), GL_TRUE},
        {"depth function", glInteger(GL_DEPTH_FUNC), GL_LEQUAL},
        {"blending", glIsEnabled(GL_BLEND), GL_FALSE},
        {"blend source", glInteger(GL_BLEND_SRC), GL_SRC_ALPHA},
        {"blend destination", glInteger(GL_BLEND_DST), GL_ONE},
        {"2-D texturing", glIsEnabled(GL_TEXTURE_2D), GL_TRUE},
        {"shading", glInteger(GL_SHADE_MODEL), GL_SMOOTH},
        {"line smoothing hint", glInteger(GL_LINE_SMOOTH_HINT), GL_NICEST},
        {"line smoothing", glIsEnabled(GL_LINE_SMOOTH), GL_FALSE},
        {"perspective hint", glInteger(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST},
        {"matrix mode", glInteger(GL_MATRIX_MODE), GL_MODELVIEW},
    };
    for (const Setting& setting : settings)
        EXPECT_EQ(setting.actual, setting.expected) << setting.name;

    GLfloat pointSize = 0;
    glGetFloatv(GL_POINT_SIZE, &pointSize);
    EXPECT_EQ(pointSize, 2.0f);
    EXPECT_EQ(glIntegers(GL_VIEWPORT, 4), (std::vector<GLint>{0, 0, 800, 600}));
    expectMatrixNear(glMatrix(GL_PROJECTION_MATRIX), perspective(45.0, 800.0 / 600.0, 0.5, 500.0));
    expectMatrixNear(glMatrix(GL_MODELVIEW_MATRIX), identity);
}

TEST_F(GlStateTest, ResizeSceneReplacesViewportAndBothMatrices) {
    load(seamLibrary);
    ASSERT_EQ(start(), 0);
    struct Case {
        int width, height;
        std::vector<GLint> viewport;
        double aspect;
    };
    const Case cases[] = {
        {800, 600, {0, 0, 800, 600}, 4.0 / 3.0},
        {640, 0, {0, 0, 640, 1}, 640.0},  // a height of 0 counts as 1
        {300, 700, {0, 0, 300, 700}, 300.0 / 700.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        // Whatever a stage left loaded before is replaced.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 800, 0, 600, 0, 0.1);
        glMatrixMode(GL_MODELVIEW);
        glTranslated(1, 2, 3);
        glMatrixMode(GL_PROJECTION);

        access().resizeScene(c.width, c.height);
        EXPECT_EQ(glIntegers(GL_VIEWPORT, 4), c.viewport);
        EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
        expectMatrixNear(glMatrix(GL_PROJECTION_MATRIX), perspective(45.0, c.aspect, 0.5, 500.0));
        expectMatrixNear(glMatrix(GL_MODELVIEW_MATRIX), identity);
    }
}

}  // namespace
