// The baseline GL state that every drawing stage finds and restores, and the
// perspective projection that every frame starts from.
#include "window/gl_state.h"

#include "render/feedback.h"
#include "shared/settings.h"
#include "shared/state.h"
#include "window/font.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

void initGL() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    resizeScene(windowWidth, windowHeight);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPointSize(2.0f);
    createBlankTexture(textureNames, textureSize, 3, GL_RGB, 0);
    buildFont("Courier New", 24);
}

void resizeScene(int width, int height) {
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 0.5, 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void loadWindowPixelProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, windowWidth, 0.0, windowHeight, 0.0, 0.1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
