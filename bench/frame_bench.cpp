// frame_bench.cpp - Google Benchmark of one on_display next to the floor of
// a clear and a swap, in the same real GLUT window. glFinish makes each
// iteration wait for the rendering it asked for.
#include <GL/freeglut.h>  // glutMainLoopEvent
#include <benchmark/benchmark.h>

#include "app/callbacks.h"
#include "render/gl.h"
#include "render/scene_frame.h"

static void frame(benchmark::State &state)
{
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop idiom
        on_display();
        glFinish();
    }
}
BENCHMARK(frame)->Name("on_display");

static void clear_and_swap(benchmark::State &state)
{
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glutSwapBuffers();
        glFinish();
    }
}
BENCHMARK(clear_and_swap)->Name("clear_and_swap (floor)");

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowSize(500, 500);
    glutInitWindowPosition(100, 100);
    glutCreateWindow("Quenlade bench");
    init_scene();
    glutDisplayFunc(on_display);
    on_reshape(500, 500);
    glutMainLoopEvent();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
