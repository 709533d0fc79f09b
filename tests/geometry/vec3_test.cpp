#include <gtest/gtest.h>

#include <cmath>

#include "geometry/vec3.h"

namespace {

const double kTolerance = 5e-6;

void ExpectVecNear(const Vec3& expected, const Vec3& actual)
{
    EXPECT_NEAR(expected.x, actual.x, kTolerance);
    EXPECT_NEAR(expected.y, actual.y, kTolerance);
    EXPECT_NEAR(expected.z, actual.z, kTolerance);
}

struct BinaryCase {
    const char* name;
    Vec3 a;
    Vec3 b;
    Vec3 expected;
};

TEST(Vec3, DifferenceSubtractsComponentwise)
{
    const BinaryCase cases[] = {
        {"mixed signs", {1.0f, 2.0f, 3.0f}, {0.5f, 4.0f, -1.0f}, {0.5f, -2.0f, 4.0f}},
        {"vertex minus eye", {0.0f, 0.0f, 1.0f}, {4.0f, 8.0f, 9.0f}, {-4.0f, -8.0f, -8.0f}},
    };
    for (const BinaryCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectVecNear(c.expected, c.a - c.b);
    }
}

TEST(Vec3, CrossFollowsTheRightHandRule)
{
    const BinaryCase cases[] = {
        {"x cross y", {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
        {"y cross z", {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}},
        {"z cross x", {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        {"y cross x", {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f}},
        {"grid edges", {0.42f, 0.0f, 0.0f}, {0.0f, 0.2f, 0.0f}, {0.0f, 0.0f, 0.084f}},
        {"general", {1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f}, {-3.0f, 6.0f, -3.0f}},
    };
    for (const BinaryCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectVecNear(c.expected, Cross(c.a, c.b));
    }
}

TEST(Vec3, CrossKeepsWhatFloatProductsWouldCancel)
{
    // (1 + 2^-12)^2 - (1 + 2^-11) is 2^-24; in float the square rounds to
    // 1 + 2^-11 and the difference would vanish.
    const float a = 1.0f + std::ldexp(1.0f, -12);
    const float b = 1.0f + std::ldexp(1.0f, -11);
    const Vec3 result = Cross(Vec3{0.0f, a, 1.0f}, Vec3{0.0f, b, a});
    EXPECT_EQ(std::ldexp(1.0f, -24), result.x);
}

TEST(Vec3, ScaleAndDivideActOnEveryComponent)
{
    ExpectVecNear({0.5f, -1.0f, 1.5f}, Vec3{1.0f, -2.0f, 3.0f} * 0.5f);
    ExpectVecNear({0.0f, 0.0f, 0.1f}, Vec3{0.0f, 0.0f, 1.0f} * 0.1f);
    ExpectVecNear({1.0f, 2.0f, -3.0f}, Vec3{3.0f, 6.0f, -9.0f} / 3.0f);
    ExpectVecNear({-1.0f / 3.0f, -2.0f / 3.0f, -2.0f / 3.0f}, Vec3{-4.0f, -8.0f, -8.0f} / 12.0f);
}

TEST(Vec3, LengthIsEuclidean)
{
    struct Case {
        Vec3 a;
        float expected;
    };
    const Case cases[] = {
        {{3.0f, 4.0f, 0.0f}, 5.0f},
        {{-4.0f, -8.0f, -8.0f}, 12.0f},
        {{0.0f, 0.0f, 0.0f}, 0.0f},
        // The squares exceed the float range; they must not overflow.
        {{3e20f, 4e20f, 0.0f}, 5e20f},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(c.expected, Length(c.a)) << c.a.x << ", " << c.a.y << ", " << c.a.z;
    }
}

TEST(Vec3, NormalizeGivesUnitDirections)
{
    struct Case {
        const char* name;
        Vec3 a;
        Vec3 expected;
    };
    const Case cases[] = {
        {"up", {0.0f, 0.0f, 2.0f}, {0.0f, 0.0f, 1.0f}},
        {"eye to origin vertex", {-4.0f, -8.0f, -8.0f}, {-1.0f / 3.0f, -2.0f / 3.0f, -2.0f / 3.0f}},
        // The flat surface's bent ray at vertex (0, 0): view minus a tenth of the normal.
        {"bent ray",
         {-1.0f / 3.0f, -2.0f / 3.0f, -2.0f / 3.0f - 0.1f},
         {-0.31174f, -0.62348f, -0.71700f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Vec3 unit = Normalize(c.a);
        ExpectVecNear(c.expected, unit);
        EXPECT_NEAR(1.0, Length(unit), kTolerance);
    }
}

}  // namespace
