// geometry_test.cpp - the camera engine's vector and geodesy helpers against
// values worked out by hand or with an independent high-precision calculator.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "camera/geometry.h"

namespace {

constexpr double kPi = std::numbers::pi;

void ExpectVec(Vec3 got, Vec3 want, double tol, const char* what) {
    for (double Vec3::*c : {&Vec3::x, &Vec3::y, &Vec3::z}) EXPECT_NEAR(got.*c, want.*c, tol) << what;
}

TEST(Geometry, RotationsFollowTheRightHandedAxisFormulas) {
    // +90 degrees: about x, y goes to z and z to -y; about y, z goes to x and x
    // to -z; about z, x goes to y and y to -x. By 60 degrees about x, (2, 3, 5)
    // has y = 3/2 - 5*sqrt(3)/2 and z = 3*sqrt(3)/2 + 5/2, x untouched.
    const struct { void (*rotate)(Vec3*, double); double angle; Vec3 in, want; } cases[] = {
        {RotateX, kPi / 2, {0, 1, 0}, {0, 0, 1}},  {RotateX, kPi / 2, {0, 0, 1}, {0, -1, 0}},
        {RotateY, kPi / 2, {0, 0, 1}, {1, 0, 0}},  {RotateY, kPi / 2, {1, 0, 0}, {0, 0, -1}},
        {RotateZ, kPi / 2, {1, 0, 7}, {0, 1, 7}},  {RotateZ, kPi / 2, {0, 1, 0}, {-1, 0, 0}},
        {RotateX, kPi / 3, {2, 3, 5}, {2, -2.8301270189221928, 5.098076211353316}},
    };
    for (const auto& c : cases) {
        Vec3 v = c.in;
        c.rotate(&v, c.angle);
        ExpectVec(v, c.want, 1e-14, "rotation");
    }
}

TEST(Geometry, VectorArithmeticAndPlanes) {
    ExpectVec(Normalise({3, 4, 12}), {3.0 / 13, 4.0 / 13, 12.0 / 13}, 1e-16, "3-4-12 over 13");
    ExpectVec(Normalise({0, 0, 0}), {0, 0, 1}, 0, "zero vector");

    // y = 10 with a non-unit normal (0, 2, 0): d = -20, met where o.y + t * u.y = 10.
    const Plane level = MakePlane({7, 10, -3}, {0, 2, 0});
    EXPECT_DOUBLE_EQ(Intersect(level, {{1, 0, 1}, {0, 0.5, 0}}), 20.0);   // 0 + 20 * 0.5
    EXPECT_DOUBLE_EQ(Intersect(level, {{0, 30, 0}, {0, 1, 0}}), -20.0);  // behind the origin
    // x + y + z = 3 is crossed by the x axis at x = 3.
    EXPECT_DOUBLE_EQ(Intersect(MakePlane({1, 1, 1}, {1, 1, 1}), {{0, 0, 0}, {1, 0, 0}}), 3.0);
    // Parallel, and either side of the 1e-10 threshold on dot(u, n) = 2 * u.y.
    EXPECT_EQ(Intersect(level, {{0, 0, 0}, {1, 4e-11, 0}}), kNoIntersection);
    EXPECT_NEAR(Intersect(level, {{0, 0, 0}, {1, 6e-11, 0}}), 20 / 1.2e-10, 1e-6 * 20 / 1.2e-10);
}

TEST(Geometry, BearingAndElevationEdges) {
    // Elevation ahead and 1 up: atan2(-10, -1) + pi/2 = atan(10) - pi/2; 1 down: +atan(0.1).
    const double up1 = -0.0996686524911620274;
    const struct { double (*f)(Vec3, Vec3); Vec3 from, to; double want; const char* what; } cases[] = {
        {Bearing, {}, {1, 0, 0}, kPi / 2, "east"},      {Bearing, {}, {-1, 0, 0}, 3 * kPi / 2, "west"},
        {Bearing, {}, {1, 0, 1e-9}, kPi / 2 - 1e-9, "continuous at z 0"}, {Bearing, {}, {0, 5, 0}, 0, "straight up"},
        {Bearing, {}, {0, 0, 1}, 0, "dead ahead is 0, not 2pi"}, {Bearing, {}, {0, 0, -1}, kPi, "behind"},
        {Bearing, {10, 0, 10}, {11, 3, 11}, kPi / 4, "NE"}, {Bearing, {10, 0, 10}, {9, 0, 9}, 5 * kPi / 4, "SW"},
        {Elevation, {}, {0, 1, 10}, up1, "1 up"},   {Elevation, {}, {0, -1, 10}, -up1, "1 down"},
        {Elevation, {}, {0, 0, -5}, kPi, "level, behind"}, {Elevation, {}, {0, 0, 5}, 0, "level, ahead"},
    };
    for (const auto& c : cases) EXPECT_NEAR(c.f(c.from, c.to), c.want, 1e-15) << c.what;
}

TEST(Geometry, Wrap180FoldsIntoHalfTurns) {
    const struct { double in, want; } cases[] = {
        {540, 180}, {181, -179}, {-30, -30}, {180, 180},  {-180, 180},
        {359.5, -0.5}, {720, 0}, {-725, -5}, {3600.25, 0.25},
    };
    for (const auto& c : cases) EXPECT_EQ(Wrap180(c.in), c.want) << c.in;
    EXPECT_TRUE(std::isnan(Wrap180(INFINITY)));  // answers instead of looping for ever
}

TEST(Geodesy, CentreAndGeoVectors) {
    // r (cos lat sin lon, sin lat, -cos lat cos lon) at lat 0.5, lon 0.3, r 1000.
    ExpectVec(CentreVector({0.5, 0.3, 0}, 1000), {259.343380052230764, 479.425538604203000, -838.386643594203529},
              1e-12, "centre vector");
    // 100 m straight up, at an unremarkable point: all up, nothing east or north.
    ExpectVec(GeoVector({0.7, -1.3, kEarthRadius + 100}, {0.7, -1.3, kEarthRadius}), {0, 100, 0}, 1e-8, "100 m up");
}

TEST(Geodesy, MoveGeoPointProjectsThroughTheTangentPlane) {
    // Zero offset: same latitude; longitude lands in -2pi..0. 1000 m north on the
    // equator: atan(1000 / R) = 1.5705219186410007e-4, not the arc 1000 / R =
    // 1.5705219315535e-4. 2000 m east at latitude 60 degrees (1.0471975511664): the
    // direction R*up + 2000*east gives lon -0.2 + atan2(2000, R cos lat) and
    // lat atan2(R sin lat, hypot(R cos lat, 2000)); y plays no part.
    const struct { GeoPoint from; Vec3 offset; double latitude, longitude; } cases[] = {
        {{0.4, 1.0, 500}, {0, 0, 0}, 0.4, 1.0 - 2 * kPi},
        {{-0.4, -0.5, 0}, {0, 0, 0}, -0.4, -0.5},
        {{0, -0.5, 0}, {0, 0, 1000}, 1.5705219186410007e-4, -0.5},
        {{60 * kDegToRad, -0.2, 0}, {2000, 123, 0}, 1.0471974657229906, -0.19937179131005153},
    };
    for (const auto& c : cases) {
        const GeoPoint p = MoveGeoPoint(c.from, c.offset);
        EXPECT_NEAR(p.latitude, c.latitude, 1e-13) << c.latitude;
        EXPECT_NEAR(p.longitude, c.longitude, 1e-13) << c.latitude;
        EXPECT_EQ(p.altitude, 0.0) << c.latitude;
    }
}

TEST(Geodesy, GeoVectorMeasuresBackAMoveGeoPointOffset) {
    // The moved point, put at radius R, lies at R * (R up + x east + z north) / h
    // with h = sqrt(R^2 + x^2 + z^2): east and north shrink by R / h (the offset
    // comes back to 1.5 mm at 5 km), up is R^2/h - R.
    const GeoPoint start = {0.7, -1.3, kEarthRadius};
    for (const Vec3& off : {Vec3{3000, 0, -2000}, Vec3{-1500, 40, 4000}, Vec3{0, 0, 5000}}) {
        const GeoPoint moved = MoveGeoPoint(start, off);
        const Vec3 back = GeoVector({moved.latitude, moved.longitude, kEarthRadius}, start);
        const double shrink = kEarthRadius / std::sqrt(kEarthRadius * kEarthRadius + off.x * off.x + off.z * off.z);
        ExpectVec(back, {off.x * shrink, kEarthRadius * shrink - kEarthRadius, off.z * shrink}, 1e-6, "round trip");
    }
}

TEST(Geodesy, GreatCircleDistanceAndBearing) {
    // One degree of latitude: 60 nm of 1852 m, times kDegToRad * kRadToDeg
    // (1 - 2.5e-13) = 111119.9999999717 m. Due north; acos near 1 blurs 0 by ~1e-6 deg.
    GreatCircleResult r = GreatCircle({0, 0.3, 0}, {kDegToRad, 0.3, 999});
    EXPECT_NEAR(r.distance, 111119.9999999717, 1e-9 * 111120);
    EXPECT_NEAR(r.bearing, 0, 1e-5);
    // 0.01 rad along the equator: 0.01 * 57.29577951471995 * 60 * 1852 m. East is pi/2
    // rad, which that factor (2.86e-11 above 180/pi) makes 90.0000000025724 degrees.
    const double east = 90.0000000025724, west = 269.9999999974276;
    r = GreatCircle({0, 0.2, 0}, {0, 0.21, 0});
    EXPECT_NEAR(r.distance, 63667.0701967567, 1e-9 * 63667);
    EXPECT_NEAR(r.bearing, east, 1e-11);
    EXPECT_NEAR(GreatCircle({0, 0.2, 0}, {0, 0.19, 0}).bearing, west, 1e-11);
    // From 3.1 east to -3.1 crosses the date line eastward: 2pi - 6.2 rad. Here acos
    // is well enough conditioned to tell the module's factor from 180/pi (2.9e-11).
    r = GreatCircle({0, 3.1, 0}, {0, -3.1, 0});
    EXPECT_NEAR(r.distance, 529616.4791541499, 1e-12 * 529616);
    EXPECT_NEAR(r.bearing, east, 1e-11);

    // Identical points: cos^2 + sin^2 rounds to 1 + 1 ulp at latitude 0.08 and
    // to 1 - 1 ulp at 0.14; both must still be 0 m, with no NaN bearing. Points
    // one ulp of longitude apart get the same sum: no NaN, and no more than acos's
    // first step above 0, sqrt(2^-52) rad = 0.0949 m.
    auto isZero = [](GeoPoint a, GeoPoint b) { return GreatCircle(a, b).distance + GreatCircle(a, b).bearing == 0; };
    for (double lat : {0.08, 0.14, 0.7}) {
        EXPECT_TRUE(isZero({lat, -1.3, 0}, {lat, -1.3, 0})) << lat;
        r = GreatCircle({lat, -1.3, 0}, {lat, std::nextafter(-1.3, 0.0), 0});
        EXPECT_TRUE(r.distance < 0.095 && !std::isnan(r.bearing)) << lat << ": " << r.distance << " m, " << r.bearing;
    }
    // Antipodes (sigma exactly pi): on the equator, and pole to pole.
    EXPECT_TRUE(isZero({0, 0, 0}, {0, kPi, 0})) << "on the equator";
    EXPECT_TRUE(isZero({kPi / 2, 0, 0}, {-kPi / 2, 0, 0})) << "pole to pole";
}

}  // namespace
