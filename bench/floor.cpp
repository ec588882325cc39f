// floor.cpp - the least a program like Quenlade can cost: the same window,
// display mode and 100 ms timer, but each frame only clears and swaps.
// scripts/bench measures Quenlade against it.
#include "app/window.h"
#include "render/gl.h"

static const unsigned int tick_ms = 100;

static void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

static void reshape(int width, int height)
{
    glViewport(0, 0, width, height);
}

static void tick(int /*value*/)
{
    glutTimerFunc(tick_ms, tick, 0);
    glutPostRedisplay();
}

int main(int argc, char **argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(window_mode);
    glutInitWindowSize(window_width, window_height);
    glutInitWindowPosition(window_x, window_y);
    glutCreateWindow("Quenlade floor");
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutTimerFunc(tick_ms, tick, 0);
    glutMainLoop();
    return 0;
}
