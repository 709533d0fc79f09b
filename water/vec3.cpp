#include "water/vec3.h"

#include <cmath>

// Every component is widened before it is used, so products and sums carry
// double precision and only the stored result is rounded to float.
static Vec3 Narrow(double x, double y, double z)
{
    return Vec3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return Narrow(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y,
                  static_cast<double>(a.z) - b.z);
}

Vec3 operator*(const Vec3& a, float s)
{
    const double scale = s;
    return Narrow(a.x * scale, a.y * scale, a.z * scale);
}

Vec3 operator/(const Vec3& a, float s)
{
    const double reciprocal = 1.0 / s;
    return Narrow(a.x * reciprocal, a.y * reciprocal, a.z * reciprocal);
}

Vec3 Cross(const Vec3& a, const Vec3& b)
{
    const double ax = a.x, ay = a.y, az = a.z;
    const double bx = b.x, by = b.y, bz = b.z;
    return Narrow(ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx);
}

float Length(const Vec3& a)
{
    const double x = a.x, y = a.y, z = a.z;
    return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

Vec3 Normalize(const Vec3& a)
{
    return a / Length(a);
}
