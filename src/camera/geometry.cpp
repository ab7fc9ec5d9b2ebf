// geometry.cpp - vector, plane and spherical-earth helpers of the camera modes.
// The formulas keep their operation order so results agree to the bit with
// the camera modes' long-standing behaviour.
#include "camera/geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "camera/angle_fold.h"

namespace {
constexpr double kPi = std::numbers::pi;
}

void RotateX(Vec3* v, double a) {
    const double c = std::cos(a), s = std::sin(a);
    const double y = c * v->y - s * v->z;
    const double z = s * v->y + c * v->z;
    v->y = y;
    v->z = z;
}

void RotateY(Vec3* v, double a) {
    const double c = std::cos(a), s = std::sin(a);
    const double x = c * v->x + s * v->z;
    const double z = c * v->z - s * v->x;
    v->x = x;
    v->z = z;
}

void RotateZ(Vec3* v, double a) {
    const double c = std::cos(a), s = std::sin(a);
    const double x = c * v->x - s * v->y;
    const double y = s * v->x + c * v->y;
    v->x = x;
    v->y = y;
}

double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

double Length(Vec3 v) {
    return std::sqrt(Dot(v, v));
}

Vec3 Normalise(Vec3 v) {
    const double length = Length(v);
    if (length == 0) return {0, 0, 1};
    return {v.x / length, v.y / length, v.z / length};
}

Vec3 Add(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 Sub(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3 Scale(Vec3 v, double s) {
    return {v.x * s, v.y * s, v.z * s};
}

double Bearing(Vec3 from, Vec3 to) {
    const Vec3 d = Sub(from, to);
    if (d.z == 0 && d.x == 0) return 0;
    // Dead ahead d.x is an exact +0, for which atan2 answers +pi and the sum
    // would be 2pi; straight ahead is bearing 0.
    if (d.x == 0 && d.z < 0) return 0;
    // Also with d.z exactly 0: atan2 then gives the same +-pi/2 as for a tiny d.z.
    return std::atan2(d.x, d.z) + kPi;
}

double Elevation(Vec3 from, Vec3 to) {
    const Vec3 d = Sub(from, to);
    if (d.y != 0) return std::atan2(d.z, d.y) + kPi / 2;
    return d.z > 0 ? kPi : 0;
}

Plane MakePlane(Vec3 point, Vec3 normal) {
    return {normal, -Dot(normal, point)};
}

double Intersect(const Plane& p, const Ray& r) {
    const double along = Dot(r.direction, p.normal);
    // Written so that a NaN direction also counts as no intersection.
    if (!(std::fabs(along) >= 1e-10)) return kNoIntersection;
    return -(Dot(r.origin, p.normal) + p.d) / along;
}

double Wrap180(double degrees) {
    degrees = FoldDownBelow360(FoldUpFromNegative(degrees));
    if (degrees > 180.0) degrees -= 360.0;
    return degrees;
}

Vec3 CentreVector(const GeoPoint& p, double r) {
    Vec3 v = {0, 0, -r};
    RotateX(&v, p.latitude);
    RotateY(&v, -p.longitude);
    return v;
}

Vec3 GeoVector(const GeoPoint& target, const GeoPoint& origin) {
    Vec3 d = Sub(CentreVector(target, target.altitude), CentreVector(origin, origin.altitude));
    RotateY(&d, origin.longitude);
    RotateX(&d, -origin.latitude);
    RotateX(&d, kPi / 2);
    return d;
}

GeoPoint MoveGeoPoint(const GeoPoint& start, Vec3 offset) {
    // The offset laid on the tangent plane at the top of the sphere, then
    // carried to the start point: kEarthRadius*up + x*east + z*north there.
    Vec3 v = {offset.x, kEarthRadius, offset.z};
    RotateX(&v, -kPi / 2);
    RotateX(&v, start.latitude);
    RotateY(&v, -start.longitude);
    RotateY(&v, kPi);
    const Vec3 origin = {0, 0, 0};
    GeoPoint moved = {0, 0, 0};
    moved.longitude = -Bearing(origin, v);  // in -2pi..0
    RotateY(&v, moved.longitude);
    moved.latitude = -Elevation(origin, v);
    return moved;
}

GreatCircleResult GreatCircle(const GeoPoint& a, const GeoPoint& b) {
    double dlon = b.longitude - a.longitude;
    if (std::fabs(dlon) > kPi) dlon -= 2 * kPi * (dlon > 0 ? 1 : -1);
    // For identical points cos^2 + sin^2 rounds to 1 +- 1 ulp, which acos
    // turns into NaN or a phantom 0.095 m; answer their 0, 0 outright.
    if (dlon == 0 && a.latitude == b.latitude) return {0, 0};
    // Nearly identical or antipodal points can still push the cosine a hair
    // past +-1; clamping keeps acos from NaN and leaves in-range values as
    // they are.
    const double cosSigma = std::clamp(
        std::cos(dlon) * std::cos(b.latitude) * std::cos(a.latitude) + std::sin(b.latitude) * std::sin(a.latitude),
        -1.0, 1.0);
    const double sigma = std::acos(cosSigma);
    // sigma is exactly pi just when its cosine is -1, and exactly 0 just when
    // it is 1; testing the cosine keeps the decision free of any extra
    // precision an x87 acos may carry. Antipodal points have no defined
    // direction, and sigma 0 would divide 0 by 0 below: both answer 0, 0.
    if (cosSigma == -1.0 || cosSigma == 1.0) return {0, 0};
    const double cosBearing = std::clamp(
        (std::sin(b.latitude) - std::sin(a.latitude) * std::cos(sigma)) / (std::cos(a.latitude) * std::sin(sigma)),
        -1.0, 1.0);
    double bearing = std::acos(cosBearing) * kRadToDeg;
    if (dlon < 0) bearing = 360 - bearing;
    const double distance = std::fabs(sigma) * kRadToDeg * kNauticalMilesPerDegree * kMetresPerNauticalMile;
    return {distance, bearing};
}
