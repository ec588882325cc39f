// gl.h - where the program's code gets OpenGL, GLU and GLUT from.
//
// A port to another platform (macOS frameworks, a Windows GLUT) changes the
// includes here, not the drawing code. The browser build compiles this as it
// stands, against emscripten's headers; what emscripten lacks comes in at
// that build's link, not here.
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
