// view_model.h - where a world point lands in the window, computed here from
// the textbook camera formulas rather than read back from OpenGL.
#pragma once

#include <array>
#include <cmath>

namespace model {

struct vec3 {
    double x, y, z;
};

// Column-major 4x4, as OpenGL stores it.
using mat4 = std::array<double, 16>;

constexpr double pi = 3.14159265358979323846;

inline vec3 sub(vec3 a, vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline vec3 cross(vec3 a, vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline vec3 unit(vec3 a)
{
    double n = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return {a.x / n, a.y / n, a.z / n};
}
inline double dot(vec3 a, vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Vertical field of view in degrees, as gluPerspective takes it.
inline mat4 perspective(double fovy, double aspect, double near, double far)
{
    double f = 1.0 / std::tan(fovy * pi / 360.0);
    return {f / aspect,
            0,
            0,
            0,
            0,
            f,
            0,
            0,
            0,
            0,
            (far + near) / (near - far),
            -1,
            0,
            0,
            2 * far * near / (near - far),
            0};
}

// Camera at eye looking at centre, with y up.
inline mat4 look_at(const vec3 &eye, const vec3 &centre)
{
    vec3 f = unit(sub(centre, eye));
    vec3 s = unit(cross(f, {0, 1, 0}));
    vec3 u = cross(s, f);
    return {s.x, u.x, -f.x, 0, s.y,          u.y,          -f.y,        0,
            s.z, u.z, -f.z, 0, -dot(s, eye), -dot(u, eye), dot(f, eye), 1};
}

struct pixel_pos {
    double x, y;     // window pixels, origin at the lower left
    double depth_w;  // > 0 when in front of the eye
};

inline pixel_pos project(const vec3 &p, const vec3 &eye, int width, int height)
{
    mat4 v = look_at(eye, {0, 0, 0});
    mat4 pr = perspective(45, 1, 1, 10);
    double e[4], c[4];
    double in[4] = {p.x, p.y, p.z, 1};
    for (int r = 0; r < 4; r++) {
        e[r] = 0;
        for (int k = 0; k < 4; k++) e[r] += v[k * 4 + r] * in[k];
    }
    for (int r = 0; r < 4; r++) {
        c[r] = 0;
        for (int k = 0; k < 4; k++) c[r] += pr[k * 4 + r] * e[k];
    }
    return {(c[0] / c[3] + 1) * width / 2, (c[1] / c[3] + 1) * height / 2, c[3]};
}

// The point p turned by deg degrees about the z axis.
inline vec3 turn_z(vec3 p, double deg)
{
    double a = deg * pi / 180.0;
    return {p.x * std::cos(a) - p.y * std::sin(a), p.x * std::sin(a) + p.y * std::cos(a), p.z};
}

}  // namespace model
