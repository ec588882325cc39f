// stroke_text.cpp - placing stroke-font strings in the scene.
#include "render/stroke_text.h"

#include <cstring>

#include "render/gl.h"

void draw_text_3d(float x, float y, float z, float scale, const char *text)
{
    glPushMatrix();
    {
        glTranslatef(x, y, z);
        glScalef(scale, scale, scale);
        // Each character moves the modelview on by its own advance width.
        for (size_t i = 0; i < strlen(text); i++) {
            glutStrokeCharacter(GLUT_STROKE_ROMAN, text[i]);
        }
    }
    glPopMatrix();
}

void draw_text_2d(const char *text, float x, float y, float angle, float scale_x, float scale_y,
                  int text_align)
{
    size_t length = strlen(text);
    int width = 0;  // font units
    for (size_t i = 0; i < length; i++) {
        width += glutStrokeWidth(GLUT_STROKE_ROMAN, text[i]);
    }

    glPushMatrix();
    {
        glTranslatef(x, y, 0.0f);
        glRotatef(angle, 0.0f, 0.0f, 1.0f);
        glScalef(scale_x, scale_y, 1.0f);
        // The shift is in font units, so it is made after the scale.
        if (text_align == 1) {
            glTranslatef(-static_cast<float>(width) / 2.0f, 0.0f, 0.0f);
        } else if (text_align != 0) {
            glTranslatef(-static_cast<float>(width), 0.0f, 0.0f);
        }
        for (size_t i = 0; i < length; i++) {
            glutStrokeCharacter(GLUT_STROKE_ROMAN, text[i]);
        }
    }
    glPopMatrix();
}
