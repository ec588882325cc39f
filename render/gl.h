// gl.h - where the program's code gets OpenGL, GLU and GLUT from.
//
// A port to another platform (macOS frameworks, a Windows GLUT) changes the
// includes here, not the drawing code. The browser build compiles this as it
// stands, against emscripten's headers, and brings what emscripten lacks
// through its own link (web/CMakeLists.txt).
#pragma once

#if defined(__APPLE__)
#define GL_SILENCE_DEPRECATION
#include <GLUT/glut.h>
#include <OpenGL/gl.h>
#include <OpenGL/glu.h>
#else
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>
#endif
