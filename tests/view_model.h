// view_model.h - where a world point lands in the window, worked out from
// the textbook camera formulas rather than read back from OpenGL.
#pragma once

#include <cmath>

namespace model {

constexpr double pi = 3.14159265358979323846;

struct vec3 {
    double x, y, z;
};

inline vec3 operator-(const vec3 &a, const vec3 &b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline double dot(const vec3 &a, const vec3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline vec3 cross(const vec3 &a, const vec3 &b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline vec3 unit(const vec3 &a)
{
    double n = std::sqrt(dot(a, a));
    return {a.x / n, a.y / n, a.z / n};
}

// The point p turned by deg degrees about the z axis.
inline vec3 turn_z(const vec3 &p, double deg)
{
    double c = std::cos(deg * pi / 180), s = std::sin(deg * pi / 180);
    return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

struct pixel_pos {
    double x, y;  // window pixels, origin at the lower left
};

// Seen from eye looking at the origin with y up, through a 45 degree
// perspective of aspect 1, in a width x height viewport.
inline pixel_pos project(const vec3 &p, const vec3 &eye, int width, int height)
{
    vec3 forward = unit(vec3{0, 0, 0} - eye);
    vec3 side = unit(cross(forward, {0, 1, 0}));
    vec3 up = cross(side, forward);
    vec3 d = p - eye;
    double depth = dot(d, forward), f = 1 / std::tan(22.5 * pi / 180);
    return {(f * dot(d, side) / depth + 1) * width / 2, (f * dot(d, up) / depth + 1) * height / 2};
}

}  // namespace model
