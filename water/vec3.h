#pragma once

// A position or direction in world space: x along the grid's columns, y along
// its rows, z the height above the picture plane. Every operation computes in
// double precision and stores its result as 32-bit floats.
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

Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(const Vec3& a, float s);
// Multiplies by the reciprocal 1 / s rather than dividing each component.
Vec3 operator/(const Vec3& a, float s);
Vec3 Cross(const Vec3& a, const Vec3& b);
float Length(const Vec3& a);
Vec3 Normalize(const Vec3& a);
