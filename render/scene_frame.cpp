// scene_frame.cpp - one frame of the demo: what the modelview stack is for.
//
// Read on_display top to bottom. With push/pop on, each cube's rotation and
// translation sit inside their own glPushMatrix/glPopMatrix, so each cube
// moves on its own. With it off, the brackets are left out and the second
// cube is placed in the frame the first cube left behind: it is carried
// around the z axis together with the first one.
#include "render/scene_frame.h"

#include "app/scene_state.h"
#include "render/gl.h"
#include "render/stroke_text.h"

static const float axis_length = 3.0f;   // each axis runs from -3 to 3
static const float text_scale = 0.002f;  // stroke font units to world units
static const float cube_size = 0.5f;

// Three coloured axes through the origin, each with its letter at the
// positive end. The letters lie in planes parallel to x-y; they do not turn
// toward the eye.
static void draw_axes()
{
    GLfloat mat_r[] = {1.0f, 0.0f, 0.0f, 1.0f};
    GLfloat mat_g[] = {0.0f, 1.0f, 0.0f, 1.0f};
    GLfloat mat_b[] = {0.0f, 0.0f, 1.0f, 1.0f};
    GLfloat mat_w[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float a = axis_length;

    glPushAttrib(GL_LINE_BIT);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    {
        glColor4fv(mat_r);
        glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, mat_r);
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex3f(-a, 0.0f, 0.0f);
        glVertex3f(a, 0.0f, 0.0f);

        glColor4fv(mat_g);
        glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, mat_g);
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex3f(0.0f, -a, 0.0f);
        glVertex3f(0.0f, a, 0.0f);

        glColor4fv(mat_b);
        glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, mat_b);
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex3f(0.0f, 0.0f, -a);
        glVertex3f(0.0f, 0.0f, a);
    }
    glEnd();
    glPopAttrib();  // back to the previous line width

    glColor4fv(mat_w);
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, mat_w);
    draw_text_3d(a, 0.0f, 0.0f, text_scale, "X");
    draw_text_3d(0.0f, a, 0.0f, text_scale, "Y");
    draw_text_3d(0.0f, 0.0f, a, text_scale, "Z");
}

void on_display()
{
    GLfloat mat_w[] = {1.0f, 1.0f, 1.0f, 1.0f};
    GLfloat mat_obj1[] = {0.6f, 0.6f, 0.6f, 1.0f};  // grey
    GLfloat mat_obj2[] = {0.0f, 0.5f, 1.0f, 1.0f};  // blue

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // Main view: everything below is drawn as seen from the eye point.
    gluLookAt(scene_state.cam_x, scene_state.cam_y, scene_state.cam_z,  // eye
              0.0, 0.0, 0.0,                                            // centre
              0.0, 1.0, 0.0);                                           // up
    draw_axes();

    // First cube: turned about the z axis, then pushed out to x = 1, so it
    // circles the origin.
    if (scene_state.use_push_pop) {
        glPushMatrix();
    }
    glRotatef(scene_state.angle_obj1, 0.0f, 0.0f, 1.0f);
    glTranslatef(1.0f, 0.0f, 0.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, mat_obj1);
    glutSolidCube(cube_size);
    if (scene_state.use_push_pop) {
        glPopMatrix();
    }

    // Never bracketed: with push/pop on it moves from the main view, with it
    // off from the first cube's turned and shifted frame.
    glTranslatef(1.5f, 1.5f, 0.0f);

    // Second cube: spins about its own vertical axis.
    if (scene_state.use_push_pop) {
        glPushMatrix();
    }
    glRotatef(scene_state.angle_obj2, 0.0f, 1.0f, 0.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, mat_obj2);
    glutSolidCube(cube_size);
    if (scene_state.use_push_pop) {
        glPopMatrix();
    }

    // Mode label, in a view of its own that ignores the eye point, so it
    // stays in the lower left corner of the window.
    const char *label = scene_state.use_push_pop ? "usando push/pop" : "sem push/pop";
    glPushMatrix();
    {
        glLoadIdentity();
        gluLookAt(0.0, 0.0, 5.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        glColor4fv(mat_w);
        glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, mat_w);
        draw_text_3d(-2.0f, -2.0f, 0.0f, text_scale, label);
    }
    glPopMatrix();

    glutSwapBuffers();
}
