// sim_objects.cpp - the drawn 3D objects of the substitute host, laid out as
// the simulator holds them: object list, entries, model headers and drawing
// blocks of reference points, bounding spheres, triangle lists and sub-blocks.
#include "hostsim/sim_objects.h"

#include <cmath>
#include <cstring>

#include "host/host_access.h"
#include "hostsim/host_process.h"

namespace hostsim {

namespace {

struct V3 {
    double x, y, z;  // metres from the reference point: x east, y up, z north
};

V3 Minus(V3 a, V3 b) {
    return V3{a.x - b.x, a.y - b.y, a.z - b.z};
}

struct Tri {
    V3 a, b, c;
};

// Bytes of a drawing block under construction.
struct Block {
    std::vector<std::uint8_t> bytes;
    std::size_t Size() const { return bytes.size(); }
    void Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
    void U16(std::uint16_t v) { Raw(&v, 2); }
    void U32(std::uint32_t v) { Raw(&v, 4); }
    void F32(double v) {
        float f = float(v);
        Raw(&f, 4);
    }
    void Patch32(std::size_t at, std::uint32_t v) { std::memcpy(bytes.data() + at, &v, 4); }
};

std::vector<ObjectOutline> g_objects;
HostAddr g_nextModel;  // bump pointer in the models area

constexpr HostAddr ObjectListAddress() {
    return kSimG3dBase + kG3dObjectList;
}

// [SECTION] Records

void ReferencePoint(Block* b, double lat, double lon, double alt) {
    b->U16(0xF002);
    b->F32(lat);
    b->F32(lon);
    b->F32(alt);
    for (int i = 0; i < 16; i++) b->bytes.push_back(0);  // the rest of the 30-byte record
}

void TriangleRecord(Block* b, const Tri& t, V3 origin) {
    const V3 a = Minus(t.a, origin), bb = Minus(t.b, origin), c = Minus(t.c, origin);
    const V3 u = Minus(bb, a), v = Minus(c, a);
    V3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0.0) n = V3{n.x / length, n.y / length, n.z / length};
    for (V3 p : {a, bb, c, n}) {
        b->F32(p.x);
        b->F32(p.y);
        b->F32(p.z);
    }
}

struct Sphere {
    V3 centre;
    double radius;
};

// Around the triangles' bounding box.
Sphere Bound(const std::vector<Tri>& tris) {
    V3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    for (const Tri& t : tris) {
        for (V3 p : {t.a, t.b, t.c}) {
            lo = V3{std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
            hi = V3{std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
        }
    }
    const V3 c{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
    const V3 d = Minus(hi, c);
    return Sphere{c, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z)};
}

// A bounding sphere record whose miss skips `guarded` bytes after it.
// local: the block's local offset (from the reference point).
void SphereRecord(Block* b, const Sphere& s, V3 local, std::uint32_t guarded) {
    b->U16(0xF004);
    b->U16(26);
    b->U32(26 + guarded);
    b->U16(0);  // two bytes the probe does not read
    const V3 c = Minus(s.centre, local);
    b->F32(c.x);
    b->F32(c.y);
    b->F32(c.z);
    b->F32(s.radius);
}

void TriangleList(Block* b, const std::vector<Tri>& tris, V3 origin) {
    b->U16(0xF005);
    b->U32(std::uint32_t(tris.size()));
    for (const Tri& t : tris) TriangleRecord(b, t, origin);
}

// A sphere guarding its triangle list, the triangles relative to the sphere's centre.
void GuardedTriangles(Block* b, const std::vector<Tri>& tris, V3 local) {
    const Sphere s = Bound(tris);
    SphereRecord(b, s, local, std::uint32_t(6 + 48 * tris.size()));
    TriangleList(b, tris, s.centre);
}

// [SECTION] Shapes

void Quad(std::vector<Tri>* out, V3 a, V3 b, V3 c, V3 d) {
    out->push_back(Tri{a, b, c});
    out->push_back(Tri{a, c, d});
}

std::vector<Tri> BoxTriangles(V3 lo, V3 hi, int subdivisions) {
    std::vector<Tri> t;
    const int n = subdivisions < 1 ? 1 : subdivisions;
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++) {
            const double x0 = lo.x + (hi.x - lo.x) * i / n, x1 = lo.x + (hi.x - lo.x) * (i + 1) / n;
            const double z0 = lo.z + (hi.z - lo.z) * j / n, z1 = lo.z + (hi.z - lo.z) * (j + 1) / n;
            Quad(&t, V3{x0, hi.y, z0}, V3{x0, hi.y, z1}, V3{x1, hi.y, z1}, V3{x1, hi.y, z0});
        }
    }
    Quad(&t, V3{lo.x, lo.y, lo.z}, V3{hi.x, lo.y, lo.z}, V3{hi.x, lo.y, hi.z}, V3{lo.x, lo.y, hi.z});
    Quad(&t, V3{lo.x, lo.y, lo.z}, V3{lo.x, hi.y, lo.z}, V3{hi.x, hi.y, lo.z}, V3{hi.x, lo.y, lo.z});
    Quad(&t, V3{lo.x, lo.y, hi.z}, V3{hi.x, lo.y, hi.z}, V3{hi.x, hi.y, hi.z}, V3{lo.x, hi.y, hi.z});
    Quad(&t, V3{lo.x, lo.y, lo.z}, V3{lo.x, lo.y, hi.z}, V3{lo.x, hi.y, hi.z}, V3{lo.x, hi.y, lo.z});
    Quad(&t, V3{hi.x, lo.y, lo.z}, V3{hi.x, hi.y, lo.z}, V3{hi.x, hi.y, hi.z}, V3{hi.x, lo.y, hi.z});
    return t;
}

// [SECTION] Objects in host memory

HostAddr Place(const std::vector<std::uint8_t>& bytes) {
    HostAddr at = g_nextModel;
    Commit(at, std::uint32_t(bytes.size()));
    Write(at, bytes.data(), std::uint32_t(bytes.size()));
    g_nextModel = (at + std::uint32_t(bytes.size()) + 15) & ~15u;
    return at;
}

// Model header and block together; a first BLCK item of offset 0 is there to be passed over.
HostAddr PlaceModel(const Block& block) {
    std::vector<std::uint8_t> bytes(kSimModelHeaderSize, 0);
    std::memcpy(bytes.data() + 0x7C, "PNTR", 4);
    const std::uint32_t items[7] = {3, 0x4C414353 /* "SCAL" */, 8, 0x4B434C42 /* "BLCK" */, 0,
                                    0x4B434C42, kSimModelHeaderSize - (0x84 + 16)};
    std::memcpy(bytes.data() + 0x80, items, sizeof items);
    bytes.insert(bytes.end(), block.bytes.begin(), block.bytes.end());
    return Place(bytes);
}

int AddObject(HostAddr model, const ObjectOutline& outline) {
    const std::uint32_t index = std::uint32_t(g_objects.size());
    if (index >= kSimObjectCapacity) return -1;
    const HostAddr entry = kSimObjectEntries + index * 104;
    Commit(entry, 104);
    std::uint8_t bytes[104] = {};
    std::memcpy(bytes + 0x60, &model, 4);
    Write(entry, bytes, sizeof bytes);
    g_objects.push_back(outline);
    g_objects.back().block = model + kSimModelHeaderSize;
    Write32(ObjectListAddress(), index + 1);
    return int(index);
}

ObjectOutline Outline(const char* kind, double lat, double lon, double alt, double east, double north, double top) {
    // The block holds floats: the outline shows what the probe will see.
    return ObjectOutline{kind, double(float(lat)), double(float(lon)), double(float(alt)), east, north, top, 0};
}

int AddShape(const char* kind, double lat, double lon, double alt, const std::vector<Tri>& tris, double east,
             double north, double top) {
    Block b;
    ReferencePoint(&b, lat, lon, alt);
    GuardedTriangles(&b, tris, V3{0, 0, 0});
    b.U16(0xF001);
    return AddObject(PlaceModel(b), Outline(kind, lat, lon, alt, east, north, top));
}

// Level k of the steps and, as its sub-block, everything above it.
void StepLevel(Block* b, int k, int levels, double size, double step, V3 local) {
    const double half = size * (levels - k) / levels / 2.0;
    const std::vector<Tri> tris = BoxTriangles(V3{-half, k * step, -half}, V3{half, (k + 1) * step, half}, 1);
    // The sphere covers this level and every level on it.
    const double height = (levels - k) * step;
    const V3 centre{0.0, k * step + height / 2.0, 0.0};
    const Sphere s{centre, std::sqrt(2.0 * half * half + height * height / 4.0)};
    const bool more = k + 1 < levels;
    SphereRecord(b, s, local, std::uint32_t(6 + 48 * tris.size() + (more ? 6 : 0)));
    TriangleList(b, tris, s.centre);
    if (!more) {
        b->U16(0xF001);
        return;
    }
    const std::size_t call = b->Size();
    b->U16(0xF000);
    b->U32(0);
    b->U16(0xF001);
    b->Patch32(call + 2, std::uint32_t(b->Size() - call));
    StepLevel(b, k + 1, levels, size, step, s.centre);  // handed the origin: this level's centre
}

}  // namespace

const char* const kHostileNames[kHostileCount] = {"self-loop", "fan",         "escape",     "million",
                                                  "unreadable", "skip-loop", "zero-length"};

void BuildSceneryRecords() {
    g_objects.clear();
    g_nextModel = kSimModels;
    Commit(ObjectListAddress(), 16);
    const std::uint32_t list[4] = {0, 0, 0, kSimObjectEntries};
    Write(ObjectListAddress(), list, sizeof list);
    Commit(kSimGeoRecords, 0x1000);
    for (std::int32_t kind = 3; kind <= 5; kind++) Write32(ViewAddress(kind) + kViewGeoRecord, GeoRecordAddress(kind));
}

void ClearObjects() {
    // Whatever was placed goes from the address space, so the next scene
    // starts from the same addresses and nothing of the old one shows through.
    if (g_nextModel > kSimModels) Decommit(kSimModels, g_nextModel - kSimModels);
    Decommit(kSimObjectEntries, kSimObjectCapacity * 104);
    g_objects.clear();
    g_nextModel = kSimModels;
    Write32(ObjectListAddress(), 0);
}

const std::vector<ObjectOutline>& Objects() {
    return g_objects;
}

HostAddr GeoRecordAddress(std::int32_t kind) {
    return (kind >= 3 && kind <= 5) ? kSimGeoRecords + HostAddr(kind - 3) * 0x200 : 0;
}

void DetachGeoRecords() {
    for (std::int32_t kind = 3; kind <= 5; kind++) Write32(ViewAddress(kind) + kViewGeoRecord, 0);
}

int AddBox(double lat, double lon, double alt, double east, double north, double height, int subdivisions) {
    const std::vector<Tri> tris =
        BoxTriangles(V3{-east / 2, 0.0, -north / 2}, V3{east / 2, height, north / 2}, subdivisions);
    return AddShape("box", lat, lon, alt, tris, east, north, height);
}

int AddRoof(double lat, double lon, double alt, double width, double length, double eaves, double ridge) {
    const double w = width / 2, l = length / 2;
    std::vector<Tri> t;
    Quad(&t, V3{-w, eaves, -l}, V3{-w, eaves, l}, V3{0, ridge, l}, V3{0, ridge, -l});
    Quad(&t, V3{0, ridge, -l}, V3{0, ridge, l}, V3{w, eaves, l}, V3{w, eaves, -l});
    t.push_back(Tri{V3{-w, eaves, -l}, V3{0, ridge, -l}, V3{w, eaves, -l}});
    t.push_back(Tri{V3{-w, eaves, l}, V3{w, eaves, l}, V3{0, ridge, l}});
    return AddShape("roof", lat, lon, alt, t, width, length, ridge);
}

int AddRamp(double lat, double lon, double alt, double width, double length, double height) {
    const double w = width / 2, l = length / 2;
    std::vector<Tri> t;
    Quad(&t, V3{-w, 0, -l}, V3{-w, height, l}, V3{w, height, l}, V3{w, 0, -l});
    Quad(&t, V3{-w, 0, l}, V3{w, 0, l}, V3{w, height, l}, V3{-w, height, l});
    t.push_back(Tri{V3{-w, 0, -l}, V3{-w, 0, l}, V3{-w, height, l}});
    t.push_back(Tri{V3{w, 0, -l}, V3{w, height, l}, V3{w, 0, l}});
    return AddShape("ramp", lat, lon, alt, t, width, length, height);
}

int AddSteps(double lat, double lon, double alt, int levels, double size, double step) {
    if (levels < 1) levels = 1;
    Block b;
    ReferencePoint(&b, lat, lon, alt);
    StepLevel(&b, 0, levels, size, step, V3{0, 0, 0});
    return AddObject(PlaceModel(b), Outline("steps", lat, lon, alt, size, size, levels * step));
}

int AddHostile(HostileBlock kind, double lat, double lon, double alt) {
    Block b;
    ReferencePoint(&b, lat, lon, alt);
    const std::size_t at = b.Size();
    switch (kind) {
    case kHostileSelfLoop:
        b.U16(0xF000), b.U32(std::uint32_t(-std::int32_t(at)));  // back to the block's start
        break;
    case kHostileFan:
        b.U16(0xF000), b.U32(std::uint32_t(-std::int32_t(at)));
        b.U16(0xF000), b.U32(std::uint32_t(-std::int32_t(at + 6)));
        break;
    case kHostileEscape:
        b.U16(0xF000), b.U32(0x40000000);
        break;
    case kHostileMillion:
        SphereRecord(&b, Sphere{V3{0, 0, 0}, 50.0}, V3{0, 0, 0}, 6);
        b.U16(0xF005), b.U32(1000000);
        TriangleRecord(&b, Tri{V3{-5, 3, -5}, V3{-5, 3, 5}, V3{5, 3, 5}}, V3{0, 0, 0});
        break;
    case kHostileUnreadable:
        // The sphere is hit and its length leads onto a page that is not there.
        SphereRecord(&b, Sphere{V3{0, 0, 0}, 50.0}, V3{0, 0, 0}, 0);
        break;
    case kHostileSkipLoop:
        b.U16(0xF004), b.U16(26), b.U32(0), b.U16(0);  // missed: "skip" to itself
        b.F32(5000.0), b.F32(0.0), b.F32(5000.0), b.F32(1.0);
        break;
    case kHostileZeroLength:
        b.U16(0xF004), b.U16(0), b.U32(26), b.U16(0);  // hit: "continue" at itself
        b.F32(0.0), b.F32(0.0), b.F32(0.0), b.F32(50.0);
        break;
    default:
        break;
    }
    b.U16(0xF001);
    HostAddr model;
    if (kind == kHostileUnreadable) {
        // The model ends exactly at a page end (the F001 is dropped), and the
        // page after it is left out of the address space.
        b.bytes.resize(b.Size() - 2);
        const std::uint32_t total = kSimModelHeaderSize + std::uint32_t(b.Size());
        const HostAddr pageEnd = ((g_nextModel + total + 0xFFF) & ~0xFFFu);
        g_nextModel = pageEnd - total;
        model = PlaceModel(b);
        Decommit(pageEnd, 0x1000);
        g_nextModel = pageEnd + 0x1000;
    } else {
        model = PlaceModel(b);
    }
    return AddObject(model, Outline(kHostileNames[kind], lat, lon, alt, 0.0, 0.0, 0.0));
}

HostAddr AddRawBlock(const std::vector<std::uint8_t>& bytes) {
    Block b;
    b.bytes = bytes;
    const int index = AddObject(PlaceModel(b), ObjectOutline{"raw", 0, 0, 0, 0, 0, 0, 0});
    return index < 0 ? 0 : g_objects[std::size_t(index)].block;
}

}  // namespace hostsim
