// gl_web.h - what the browser lacks, for Quenlade built with emscripten.
//
// render/gl.h includes this instead of the platform's headers when
// __EMSCRIPTEN__ is defined; the native program never sees it. The drawing
// code stays as it is: the few GL calls that emscripten's fixed-function
// emulation takes differently are routed here by name, and what it lacks
// altogether (the solid cube, the stroke font, the attribute stack,
// gluLookAt that works) is defined in gl_web.cpp.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

// The emulation draws immediate-mode lines only when every vertex comes with
// its normal and colour; these keep the current ones and send them along.
void web_begin(GLenum mode);
void web_end();
void web_normal3f(GLfloat x, GLfloat y, GLfloat z);
void web_color4fv(const GLfloat *rgba);
void web_vertex3f(GLfloat x, GLfloat y, GLfloat z);

// The emulation takes GL_AMBIENT and GL_DIFFUSE one at a time, and applies
// a material to a whole glBegin/glEnd, so a change inside one ends it and
// begins another.
void web_materialfv(GLenum face, GLenum pname, const GLfloat *params);

// The browser shows each frame by itself; this tells the page that one is
// drawn (page_bridge.cpp).
void web_swap_buffers();

#ifndef QUENLADE_WEB_LAYER  // gl_web.cpp calls the emulation's own
#define glBegin web_begin
#define glEnd web_end
#define glNormal3f web_normal3f
#define glColor4fv web_color4fv
#define glVertex3f web_vertex3f
#define glMaterialfv web_materialfv
#define glutSwapBuffers web_swap_buffers
#endif
