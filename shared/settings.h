// Fixed settings of the library. Nothing changes them at run time.
#pragma once

constexpr int windowX = 50;
constexpr int windowY = 50;
constexpr int windowWidth = 800;   // outer size of the output window; layout units of every frame
constexpr int windowHeight = 600;
constexpr int textureSize = 512;   // side of the feedback texture and of the scene square
constexpr int textureRate = 50;    // highest number of texture refreshes per second
constexpr const char* windowClassName = "DravikVis";
