// scene_window.cpp - test main: one real GLUT window on the X display.
#include "tests/scene_window.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "app/callbacks.h"
#include "render/gl.h"

#include <GL/freeglut.h>  // the tests run GLUT's loop a step at a time
#include "render/scene_frame.h"

namespace testkit {

// The test binary is linked with --wrap=glutSwapBuffers: each frame is read
// from the back buffer just before GLUT shows it, where its content is still
// defined.
static picture last_shown;

picture draw_frame()
{
    on_display();
    return last_shown;
}

std::string capture_stdout(const std::function<void()> &fn)
{
    fflush(stdout);
    FILE *sink = tmpfile();
    int saved = dup(fileno(stdout));
    dup2(fileno(sink), fileno(stdout));
    fn();
    fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);

    std::string text;
    rewind(sink);
    for (int c; (c = fgetc(sink)) != EOF;) text += static_cast<char>(c);
    fclose(sink);
    return text;
}

void reset_scene()
{
    init_scene();
    on_reshape(window_size, window_size);
}

}  // namespace testkit

// The names are the ones ld's --wrap gives.
extern "C" void __real_glutSwapBuffers();  // NOLINT(bugprone-reserved-identifier)
extern "C" void __wrap_glutSwapBuffers()   // NOLINT(bugprone-reserved-identifier)
{
    testkit::picture &pic = testkit::last_shown;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    pic.width = viewport[2];
    pic.height = viewport[3];
    pic.data.resize(static_cast<size_t>(pic.width) * pic.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, pic.width, pic.height, GL_RGB, GL_UNSIGNED_BYTE, pic.data.data());
    __real_glutSwapBuffers();
}

namespace {

bool window_shown = false;

void reshape_and_note(int width, int height)
{
    on_reshape(width, height);
    window_shown = true;
}

// Opened only when tests run, so listing the tests needs no display.
class scene_window : public testing::Environment {
public:
    scene_window(int *argc, char **argv) : argc_(argc), argv_(argv) {}

    void SetUp() override
    {
        glutInit(argc_, argv_);
        glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
        glutInitWindowSize(testkit::window_size, testkit::window_size);
        glutInitWindowPosition(100, 100);
        glutCreateWindow("Quenlade #2 under test");
        init_scene();
        glutKeyboardFunc(on_keyboard);
        glutDisplayFunc(on_display);
        glutReshapeFunc(reshape_and_note);
        // GLUT reshapes once the window is mapped; only then can its front
        // buffer be read back.
        for (int i = 0; i < 1000 && !window_shown; i++) {
            glutMainLoopEvent();
            usleep(2000);
        }
        ASSERT_TRUE(window_shown) << "the test window was never shown";
    }

private:
    int *argc_;
    char **argv_;
};

}  // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // The Esc test ends a process: run it in a fresh copy of this program
    // rather than a fork that shares the X connection.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testing::AddGlobalTestEnvironment(new scene_window(&argc, argv));
    return RUN_ALL_TESTS();
}
