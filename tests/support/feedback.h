// What GL drawing produces, captured in feedback mode: every primitive in
// window coordinates with its colour, every bitmap at its raster position,
// and every pass-through marker, in the order they were drawn.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <functional>
#include <vector>

struct FeedbackVertex {
    GLfloat x, y, z;
    GLfloat red, green, blue, alpha;
};

struct FeedbackItem {
    GLenum token;                         // GL_POLYGON_TOKEN, GL_BITMAP_TOKEN, ...
    std::vector<FeedbackVertex> vertices; // none for a pass-through marker
    GLfloat passThrough = 0.0f;           // the marker's value
};

// Runs draw with the current context in feedback mode (3-D positions with
// colour) and returns what it drew; a failure if the buffer overflowed.
std::vector<FeedbackItem> captureFeedback(const std::function<void()>& draw);

// Only the items of one kind.
std::vector<FeedbackItem> itemsOf(const std::vector<FeedbackItem>& items, GLenum token);
