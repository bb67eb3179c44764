// The bitmap font: which display lists a printed text calls, what the lists
// made from the system face draw, and that printing leaves the list base alone.
#include "tests/support/feedback.h"
#include "tests/support/player.h"

#include <string>

namespace {

class Font : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        load(seamLibrary);
        ASSERT_EQ(start(), 0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, 800.0, 0.0, 600.0, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    GLuint fontBase() { return *access().fontBase; }

    // Replaces every font list by a marker naming its offset from fontBase,
    // so that feedback shows which lists a text calls.
    void markFontLists() {
        for (GLuint i = 0; i < 96; ++i) {
            glNewList(fontBase() + i, GL_COMPILE);
            glPassThrough(static_cast<GLfloat>(i));
            glEndList();
        }
    }

    // The list offsets that printText(fmt, value) calls, in order.
    std::vector<int> listsCalled(const char* fmt, const char* value) {
        std::vector<int> offsets;
        for (const FeedbackItem& item : captureFeedback([&] { access().printText(fmt, value); }))
            if (item.token == GL_PASS_THROUGH_TOKEN)
                offsets.push_back(static_cast<int>(item.passThrough));
        return offsets;
    }

    // How far printing text moves the raster position along x, in pixels.
    GLfloat advanceOf(const char* text) {
        glRasterPos2f(20.0f, 20.0f);
        GLfloat before[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
        access().printText("%s", text);
        GLfloat after[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
        return after[0] - before[0];
    }
};

struct PrintCase {
    const char* name;
    const char* fmt;
    std::string value;
    std::vector<int> lists;
};

const PrintCase printCases[] = {
    {"a word", "%s", "Hello", {40, 69, 76, 76, 79}},
    {"the format's own text around the value", "[%s]", "a b", {59, 65, 0, 66, 61}},
    {"a percent sign in the value", "%s", "%d", {5, 68}},
    {"bytes with no list draw nothing", "%s", "A\x01\x1F\x80\xE9\xFF" "B", {33, 34}},
    {"an empty text", "%s", "", {}},
    {"a null format", nullptr, "Hello", {}},
    {"a text longer than 255 bytes keeps the first 255", "%s", std::string(300, 'a'),
     std::vector<int>(255, 65)},
};

TEST_F(Font, PrintCallsOneListPerByteAndRestoresTheListBase) {
    markFontLists();
    while (glGetError() != GL_NO_ERROR) {
    }
    for (const PrintCase& row : printCases) {
        SCOPED_TRACE(row.name);
        glListBase(1234);
        EXPECT_EQ(listsCalled(row.fmt, row.value.c_str()), row.lists);
        EXPECT_EQ(glInteger(GL_LIST_BASE), 1234);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(Font, ListsDrawABoldMonospacedFaceOfCellHeight24) {
    for (GLuint i = 0; i < 96; ++i)
        EXPECT_TRUE(glIsList(fontBase() + i)) << "list " << i;
    // Every character moves the raster position by the same width: the face
    // that stands in for the requested one keeps its fixed pitch and metrics.
    const GLfloat width = advanceOf("M");
    EXPECT_NEAR(width, 13.0f, 1.0f);
    for (char c = ' '; c < 127; ++c) {
        const char text[] = {c, '\0'};
        EXPECT_EQ(advanceOf(text), width) << "character " << text;
    }
    EXPECT_EQ(advanceOf("Hello"), 5 * width);
    // A byte with no list leaves the raster position where it was.
    EXPECT_EQ(advanceOf("\x01\xE9"), 0.0f);
}

}  // namespace
