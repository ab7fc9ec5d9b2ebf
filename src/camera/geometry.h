// geometry.h - vectors, planes and spherical-earth geodesy for the camera
// modes. Angles are radians here; callers convert degrees at the boundary.
// Local frame at a point: x east, y up, z north (metres). Body frame: x right,
// y up, z forward. Pure functions: no state, no allocation, nothing throws.
#pragma once

struct Vec3 {
    double x, y, z;
};

// Latitude and longitude in radians; altitude in feet when stored, but the
// distance from the earth's centre in metres when handed to GeoVector.
struct GeoPoint {
    double latitude, longitude, altitude;
};

// Points p with Dot(normal, p) + d == 0.
struct Plane {
    Vec3 normal;
    double d;
};

struct Ray {
    Vec3 origin;
    Vec3 direction;
};

inline constexpr double kEarthRadius = 6367310.0;  // metres
// The module's own conversion factors; they are not pi/180 to the last bit.
inline constexpr double kDegToRad = 0.01745329251944;
inline constexpr double kRadToDeg = 57.29577951471995;
inline constexpr double kFeetToMetres = 0.3048;
inline constexpr double kMetresToFeet = 3.28084;
inline constexpr double kMetresPerNauticalMile = 1852.0;
inline constexpr double kNauticalMilesPerDegree = 60.0;
// What Intersect answers for a ray parallel to the plane.
inline constexpr double kNoIntersection = 1e10;

// In-place rotations by a radians about one axis:
//   x: y' = cos a*y - sin a*z, z' = sin a*y + cos a*z
//   y: x' = cos a*x + sin a*z, z' = cos a*z - sin a*x
//   z: x' = cos a*x - sin a*y, y' = sin a*x + cos a*y
void RotateX(Vec3* v, double a);
void RotateY(Vec3* v, double a);
void RotateZ(Vec3* v, double a);

double Dot(Vec3 a, Vec3 b);
double Length(Vec3 v);
// A zero-length vector becomes (0, 0, 1).
Vec3 Normalise(Vec3 v);
Vec3 Add(Vec3 a, Vec3 b);
Vec3 Sub(Vec3 a, Vec3 b);
Vec3 Scale(Vec3 v, double s);

// Horizontal angle of to - from, from +z toward +x, in 0..2pi; 0 when the two
// coincide horizontally.
double Bearing(Vec3 from, Vec3 to);
// Vertical angle of to - from in its y-z plane, in the host's pitch sense: a
// target ahead and above is negative, ahead and below positive; straight
// behind on the level is pi.
double Elevation(Vec3 from, Vec3 to);

// The plane through point with the given (not necessarily unit) normal.
Plane MakePlane(Vec3 point, Vec3 normal);
// Ray parameter t of the crossing (origin + t * direction; t may be negative),
// or kNoIntersection when the ray runs parallel to the plane.
double Intersect(const Plane& p, const Ray& r);

// Degrees into -180..180; -180 itself comes out as 180.
double Wrap180(double degrees);

// Position of p at distance r from the earth's centre, in the centre frame:
// (r cos lat sin lon, r sin lat, -r cos lat cos lon).
Vec3 CentreVector(const GeoPoint& p, double r);
// Vector from origin to target in the local frame at origin, metres. Both
// points' altitude fields hold their distance from the earth's centre.
Vec3 GeoVector(const GeoPoint& target, const GeoPoint& origin);
// The point under start + offset (offset in start's local frame: x east,
// z north, metres; y ignored), found by projecting from the earth's centre
// through the tangent plane. Longitude comes out in -2pi..0, congruent to the
// true one; altitude is 0 and the caller sets it.
GeoPoint MoveGeoPoint(const GeoPoint& start, Vec3 offset);

struct GreatCircleResult {
    double distance;  // metres
    double bearing;   // degrees, initial bearing from a to b
};
// Altitudes are ignored. Identical and antipodal points give distance 0 and
// bearing 0.
GreatCircleResult GreatCircle(const GeoPoint& a, const GeoPoint& b);
