#include "tests/support/feedback.h"

#include <gtest/gtest.h>

namespace {
constexpr size_t feedbackFloats = 4 << 20;
constexpr size_t vertexFloats = 7;  // x, y, z, then RGBA
}

std::vector<FeedbackItem> captureFeedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(feedbackFloats);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    std::vector<FeedbackItem> items;
    if (count < 0) {
        ADD_FAILURE() << "the feedback buffer overflowed";
        return items;
    }
    auto vertexAt = [&](size_t& at) {
        FeedbackVertex vertex;
        GLfloat* values[] = {&vertex.x,   &vertex.y,    &vertex.z,    &vertex.red,
                             &vertex.green, &vertex.blue, &vertex.alpha};
        for (GLfloat* value : values)
            *value = buffer[at++];
        return vertex;
    };
    size_t at = 0;
    while (at < static_cast<size_t>(count)) {
        FeedbackItem item;
        item.token = static_cast<GLenum>(buffer[at++]);
        size_t vertexCount = 0;
        switch (item.token) {
        case GL_PASS_THROUGH_TOKEN:
            item.passThrough = buffer[at++];
            break;
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN:
            vertexCount = 1;
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            vertexCount = 2;
            break;
        case GL_POLYGON_TOKEN:
            vertexCount = static_cast<size_t>(buffer[at++]);
            break;
        default:
            ADD_FAILURE() << "unknown feedback token " << item.token;
            return items;
        }
        if (at + vertexCount * vertexFloats > static_cast<size_t>(count)) {
            ADD_FAILURE() << "feedback item cut short";
            return items;
        }
        for (size_t i = 0; i < vertexCount; ++i)
            item.vertices.push_back(vertexAt(at));
        items.push_back(item);
    }
    return items;
}

std::vector<FeedbackItem> itemsOf(const std::vector<FeedbackItem>& items, GLenum token) {
    std::vector<FeedbackItem> kept;
    for (const FeedbackItem& item : items)
        if (item.token == token)
            kept.push_back(item);
    return kept;
}
