// gl.h - the one place that includes OpenGL, GLU and GLUT.
//
// A port to another platform (macOS frameworks, a Windows GLUT, the
// browser) changes the includes here and nowhere else.
#pragma once

#if defined(__EMSCRIPTEN__)
#include "web/gl_web.h"  // what the browser lacks
#elif defined(__APPLE__)
#define GL_SILENCE_DEPRECATION
#include <GLUT/glut.h>
#include <OpenGL/gl.h>
#include <OpenGL/glu.h>
#else
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>
#endif
