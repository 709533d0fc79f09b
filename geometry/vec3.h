#pragma once

#include <cmath>

// A position or direction in world space: x along the grid's columns, y along
// its rows, z the height above the picture plane. Every operation widens its
// operands to double, so products and sums carry double precision and only the
// stored result is rounded to 32-bit floats.
struct Vec3 {
    float x;
    float y;
    float z;
};

// One texture coordinate per surface vertex.
struct TexCoord {
    float u;
    float v;
};

// Defined here so that the per-vertex work of every frame inlines them.
namespace vec3_detail {
inline Vec3 Narrow(double x, double y, double z)
{
    return Vec3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}
}  // namespace vec3_detail

inline Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return vec3_detail::Narrow(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y,
                               static_cast<double>(a.z) - b.z);
}

inline Vec3 operator*(const Vec3& a, float s)
{
    const double scale = s;
    return vec3_detail::Narrow(a.x * scale, a.y * scale, a.z * scale);
}

// Multiplies by the reciprocal 1 / s rather than dividing each component.
inline Vec3 operator/(const Vec3& a, float s)
{
    const double reciprocal = 1.0 / s;
    return vec3_detail::Narrow(a.x * reciprocal, a.y * reciprocal, a.z * reciprocal);
}

inline Vec3 Cross(const Vec3& a, const Vec3& b)
{
    const double ax = a.x, ay = a.y, az = a.z;
    const double bx = b.x, by = b.y, bz = b.z;
    return vec3_detail::Narrow(ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx);
}

inline float Length(const Vec3& a)
{
    const double x = a.x, y = a.y, z = a.z;
    return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

inline Vec3 Normalize(const Vec3& a)
{
    return a / Length(a);
}
