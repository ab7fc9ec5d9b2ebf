// pecheck - checks a built Skyvane2004.dll before it ships.
//
// The host simulator loads the module by two exported data records,
// ImportTable and Linkage, reading their bytes straight from the image, and
// users must not need MinGW runtime DLLs beside the module. So this checks:
// the PE header (machine, PE32 or PE32+, DLL bit); that the only exported
// names are those two; that every imported DLL is a Windows system DLL; and
// the bytes of both records, with Linkage's entry addresses in code; and
// the dialog templates in the resources against their table
// (dialog_table.cpp).
//
// The file is untrusted: every read is bounds-checked, and a truncated or
// malformed file gives a FAIL line, never a crash.
//
// Usage: pecheck --machine i386|amd64 FILE.dll
// Prints one fact per line, then "pecheck ok" (exit 0) or one or more
// "pecheck FAIL: reason" lines (exit 1). Bad usage exits 2.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialog_table.h"

namespace {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using u64 = std::uint64_t;

constexpr u16 kMachineI386 = 0x014C;
constexpr u16 kMachineAmd64 = 0x8664;
constexpr u16 kMagicPe32 = 0x10B;
constexpr u16 kMagicPe32Plus = 0x20B;
constexpr u16 kFileDll = 0x2000;
constexpr u32 kSectionExecute = 0x20000000;
constexpr u32 kDirExport = 0;
constexpr u32 kDirImport = 1;
constexpr u32 kDirResource = 2;
constexpr u32 kDirDelayImport = 13;
constexpr u64 kMaxFileSize = 64u << 20;  // far above any real module
constexpr u32 kMaxExportNames = 1024;
constexpr u32 kMaxImportDlls = 1024;
constexpr u64 kMaxNameLength = 512;
constexpr u32 kMaxResourceEntries = 4096;
constexpr u32 kResourceTypeDialog = 5;

// A structural fault: parsing cannot go on.
struct Malformed {
    std::string why;
};

std::string hex(u64 v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
    return buf;
}

// Names come from the file: keep output one token per fact, plain ASCII.
std::string printable(std::string_view s) {
    std::string out;
    for (unsigned char c : s) {
        if (c > 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The whole file, with bounds-checked little-endian reads.
class Bytes {
public:
    explicit Bytes(std::vector<u8> data) : data_(std::move(data)) {}

    bool has(u64 off, u64 len) const { return off <= data_.size() && len <= data_.size() - off; }

    u64 le(u64 off, unsigned width, std::string_view what) const {
        if (!has(off, width)) throw Malformed{std::string(what) + " lies beyond the end of the file"};
        u64 v = 0;
        for (unsigned i = 0; i < width; ++i) v |= u64{data_[off + i]} << (8 * i);
        return v;
    }
    u16 u16At(u64 off, std::string_view what) const { return static_cast<u16>(le(off, 2, what)); }
    u32 u32At(u64 off, std::string_view what) const { return static_cast<u32>(le(off, 4, what)); }
    u64 u64At(u64 off, std::string_view what) const { return le(off, 8, what); }
    u8 at(u64 off) const { return data_[off]; }  // callers check has() first

private:
    std::vector<u8> data_;
};

struct Section {
    std::string name;
    u32 va = 0;
    u32 vsize = 0;
    u32 rawSize = 0;
    u32 rawPtr = 0;
    u32 flags = 0;

    // Virtual extent; linkers may leave the virtual size zero.
    u64 extent() const { return vsize != 0 ? vsize : rawSize; }
};

struct DataDir {
    u32 rva = 0;
    u32 size = 0;
};

struct Pe {
    u16 machine = 0;
    u16 magic = 0;
    u16 characteristics = 0;
    u64 imageBase = 0;
    std::vector<DataDir> dirs;
    std::vector<Section> sections;

    bool wide() const { return magic == kMagicPe32Plus; }
    DataDir dir(u32 index) const { return index < dirs.size() ? dirs[index] : DataDir{}; }
};

struct Report {
    std::vector<std::string> failures;

    void fact(const std::string& line) const { std::printf("%s\n", line.c_str()); }
    void fail(std::string why) { failures.push_back(std::move(why)); }
};

bool readFile(const char* path, std::vector<u8>& out, std::string& why) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        why = std::string("cannot open ") + path;
        return false;
    }
    std::array<u8, 65536> chunk{};
    size_t n = 0;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0) {
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
        if (out.size() > kMaxFileSize) break;
    }
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) why = std::string("cannot read ") + path;
    if (out.size() > kMaxFileSize) why = "file is larger than " + std::to_string(kMaxFileSize) + " bytes";
    return why.empty();
}

// Optional header fields that differ between PE32 and PE32+; the rest of
// the checks only need the image base and the data directories.
void parseOptionalHeader(const Bytes& b, u64 opt, u16 optSize, Pe& pe) {
    pe.magic = b.u16At(opt, "optional header magic");
    u64 countOff = 0;
    if (pe.magic == kMagicPe32) {
        pe.imageBase = b.u32At(opt + 28, "image base");
        countOff = 92;
    } else if (pe.magic == kMagicPe32Plus) {
        pe.imageBase = b.u64At(opt + 24, "image base");
        countOff = 108;
    } else {
        throw Malformed{"unknown optional header magic " + hex(pe.magic)};
    }
    u64 dirsOff = countOff + 4;
    if (optSize < dirsOff) throw Malformed{"optional header size " + std::to_string(optSize) + " is too small"};
    u32 count = b.u32At(opt + countOff, "data directory count");
    if (count > 16) count = 16;  // the loader ignores the rest
    if (dirsOff + u64{count} * 8 > optSize) throw Malformed{"data directories overrun the optional header"};
    for (u32 i = 0; i < count; ++i) {
        u64 off = opt + dirsOff + u64{i} * 8;
        pe.dirs.push_back({b.u32At(off, "data directory"), b.u32At(off + 4, "data directory")});
    }
}

void parseSections(const Bytes& b, u64 table, u16 count, Pe& pe) {
    for (u32 i = 0; i < count; ++i) {
        u64 off = table + u64{i} * 40;
        if (!b.has(off, 40)) throw Malformed{"section table lies beyond the end of the file"};
        Section s;
        for (u64 k = 0; k < 8 && b.at(off + k) != 0; ++k) s.name += static_cast<char>(b.at(off + k));
        s.vsize = b.u32At(off + 8, "section");
        s.va = b.u32At(off + 12, "section");
        s.rawSize = b.u32At(off + 16, "section");
        s.rawPtr = b.u32At(off + 20, "section");
        s.flags = b.u32At(off + 36, "section");
        // The loader maps every section's raw data, so a cut file will not load.
        if (!b.has(s.rawPtr, s.rawSize))
            throw Malformed{"raw data of section " + printable(s.name) + " runs past the end of the file"};
        pe.sections.push_back(std::move(s));
    }
}

Pe parseHeaders(const Bytes& b) {
    if (!b.has(0, 2) || b.at(0) != 'M' || b.at(1) != 'Z') throw Malformed{"no MZ header: not a PE file"};
    u64 peOff = b.u32At(0x3C, "PE header offset");
    if (b.u32At(peOff, "PE signature") != 0x00004550) throw Malformed{"no PE signature: not a PE file"};
    u64 coff = peOff + 4;
    Pe pe;
    pe.machine = b.u16At(coff, "machine");
    u16 sectionCount = b.u16At(coff + 2, "section count");
    u16 optSize = b.u16At(coff + 16, "optional header size");
    pe.characteristics = b.u16At(coff + 18, "characteristics");
    parseOptionalHeader(b, coff + 20, optSize, pe);
    parseSections(b, coff + 20 + optSize, sectionCount, pe);
    return pe;
}

// The section whose virtual range holds rva, or none.
const Section* sectionAt(const Pe& pe, u64 rva) {
    for (const Section& s : pe.sections)
        if (rva >= s.va && rva - s.va < s.extent()) return &s;
    return nullptr;
}

// File offset of len bytes at rva; they must lie within one section, both
// in its raw data and its virtual extent, and within the file.
u64 fileOffset(const Bytes& b, const Pe& pe, u64 rva, u64 len, const std::string& what) {
    const Section* s = sectionAt(pe, rva);
    if (!s) throw Malformed{what + " at rva " + hex(rva) + " is in no section"};
    u64 within = rva - s->va;
    u64 limit = std::min<u64>(s->rawSize, s->extent());
    if (within > limit || len > limit - within)
        throw Malformed{what + " at rva " + hex(rva) + " runs past the raw data of section " + printable(s->name)};
    u64 off = u64{s->rawPtr} + within;
    if (!b.has(off, len)) throw Malformed{what + " at rva " + hex(rva) + " lies beyond the end of the file"};
    return off;
}

// A NUL-terminated name at rva, within its section's raw data.
std::string cString(const Bytes& b, const Pe& pe, u64 rva, const std::string& what) {
    std::string out;
    for (u64 i = 0; i < kMaxNameLength; ++i) {
        u64 off = fileOffset(b, pe, rva + i, 1, what);
        if (b.at(off) == 0) return out;
        out += static_cast<char>(b.at(off));
    }
    throw Malformed{what + " at rva " + hex(rva) + " is longer than " + std::to_string(kMaxNameLength) + " bytes"};
}

void checkHeader(const Pe& pe, bool wantAmd64, Report& r) {
    const char* wantName = wantAmd64 ? "amd64" : "i386";
    u16 wantMachine = wantAmd64 ? kMachineAmd64 : kMachineI386;
    u16 wantMagic = wantAmd64 ? kMagicPe32Plus : kMagicPe32;
    std::string machine = pe.machine == kMachineI386    ? "i386"
                          : pe.machine == kMachineAmd64 ? "amd64"
                                                        : hex(pe.machine);
    std::string format = pe.wide() ? "PE32+" : "PE32";
    r.fact("machine " + machine);
    r.fact("format " + format);
    r.fact(std::string("dll ") + ((pe.characteristics & kFileDll) ? "yes" : "no"));
    r.fact("image-base " + hex(pe.imageBase));
    r.fact("sections " + std::to_string(pe.sections.size()));
    if (pe.machine != wantMachine) r.fail("machine is " + machine + ", expected " + wantName);
    if (pe.magic != wantMagic) r.fail("format is " + format + ", expected " + (wantAmd64 ? "PE32+" : "PE32"));
    if (!(pe.characteristics & kFileDll)) r.fail("not a DLL (characteristics " + hex(pe.characteristics) + ")");
}

struct Export {
    std::string name;
    u32 rva = 0;
};

std::vector<Export> readExports(const Bytes& b, const Pe& pe, Report& r) {
    DataDir d = pe.dir(kDirExport);
    if (d.rva == 0) {
        r.fail("no export directory");
        return {};
    }
    u64 dir = fileOffset(b, pe, d.rva, 40, "export directory");
    u32 functionCount = b.u32At(dir + 20, "export directory");
    u32 nameCount = b.u32At(dir + 24, "export directory");
    u32 functions = b.u32At(dir + 28, "export directory");
    u32 names = b.u32At(dir + 32, "export directory");
    u32 ordinals = b.u32At(dir + 36, "export directory");
    if (nameCount > kMaxExportNames) {
        r.fail("too many exported names (" + std::to_string(nameCount) + ")");
        return {};
    }
    std::vector<Export> out;
    for (u32 i = 0; i < nameCount; ++i) {
        u32 nameRva = b.u32At(fileOffset(b, pe, names + u64{i} * 4, 4, "export name table"), "export name");
        u16 ordinal = b.u16At(fileOffset(b, pe, ordinals + u64{i} * 2, 2, "export ordinal table"), "ordinal");
        if (ordinal >= functionCount) throw Malformed{"export ordinal " + std::to_string(ordinal) + " out of range"};
        u32 rva = b.u32At(fileOffset(b, pe, functions + u64{ordinal} * 4, 4, "export address table"), "export");
        out.push_back({cString(b, pe, nameRva, "export name"), rva});
        r.fact("export " + printable(out.back().name) + " rva " + hex(rva));
    }
    return out;
}

// Exactly ImportTable and Linkage, undecorated, once each. Returns their
// RVAs; zero where missing.
std::pair<u32, u32> checkExports(const std::vector<Export>& exports, Report& r) {
    u32 importTable = 0;
    u32 linkage = 0;
    for (const Export& e : exports) {
        u32* slot = e.name == "ImportTable" ? &importTable : e.name == "Linkage" ? &linkage : nullptr;
        if (!slot) {
            r.fail("unexpected export " + printable(e.name));
        } else if (*slot != 0) {
            r.fail("export " + e.name + " appears twice");
        } else if (e.rva == 0) {
            r.fail("export " + e.name + " has rva 0");
        } else {
            *slot = e.rva;
        }
    }
    if (importTable == 0) r.fail("export ImportTable missing");
    if (linkage == 0) r.fail("export Linkage missing");
    return {importTable, linkage};
}

bool systemDll(std::string_view name) {
    static constexpr std::array<std::string_view, 12> kAllowed = {
        "kernel32.dll", "user32.dll",   "advapi32.dll", "winmm.dll",   "msvcrt.dll", "comdlg32.dll",
        "gdi32.dll",    "comctl32.dll", "dinput8.dll",  "dsound.dll",  "ole32.dll",  "shell32.dll",
    };
    std::string l = lower(name);
    if (l.starts_with("api-ms-win-")) return true;
    for (std::string_view a : kAllowed)
        if (l == a) return true;
    return false;
}

void checkImports(const Bytes& b, const Pe& pe, Report& r) {
    DataDir delay = pe.dir(kDirDelayImport);
    if (delay.rva != 0 && delay.size != 0) r.fail("delay-load imports present; they are not checked");
    DataDir d = pe.dir(kDirImport);
    if (d.rva == 0) {
        r.fact("imports 0");
        return;
    }
    u32 count = 0;
    for (;; ++count) {
        if (count == kMaxImportDlls) throw Malformed{"import directory has no terminating entry"};
        u64 desc = fileOffset(b, pe, d.rva + u64{count} * 20, 20, "import descriptor");
        u32 nameRva = b.u32At(desc + 12, "import descriptor");
        if (nameRva == 0) break;
        std::string name = cString(b, pe, nameRva, "import name");
        r.fact("import " + printable(name));
        if (!systemDll(name)) r.fail("import " + printable(name) + " is not a Windows system DLL");
    }
    r.fact("imports " + std::to_string(count));
}

void checkImportTable(const Bytes& b, const Pe& pe, u32 rva, Report& r) {
    u64 off = fileOffset(b, pe, rva, 16, "ImportTable");
    std::array<u32, 4> w{};
    for (u64 i = 0; i < 4; ++i) w[i] = b.u32At(off + i * 4, "ImportTable");
    r.fact("ImportTable " + std::to_string(w[0]) + " " + std::to_string(w[1]) + " " + std::to_string(w[2]) + " " +
           std::to_string(w[3]));
    if (w != std::array<u32, 4>{15, 0, 0, 0}) r.fail("ImportTable is not 15 0 0 0");
}

// An entry address is stored as image base + RVA, before relocation; it
// must land in an executable section.
void checkEntry(const Pe& pe, std::string_view which, u64 va, Report& r) {
    std::string label = "Linkage " + std::string(which) + " " + hex(va);
    const Section* s = nullptr;
    if (va >= pe.imageBase && va - pe.imageBase <= 0xFFFFFFFFu) s = sectionAt(pe, va - pe.imageBase);
    if (!s) {
        r.fact(label + " outside the image");
        r.fail(label + " is not inside any section of the image");
        return;
    }
    r.fact(label + " in " + printable(s->name));
    if (!(s->flags & kSectionExecute)) r.fail(label + " is in non-executable section " + printable(s->name));
}

// i386: u32 id, u32 init, u32 deinit, then flags, priority, version, end.
// amd64: u32 id, 4 bytes padding, u64 init, u64 deinit, then the same four.
void checkLinkage(const Bytes& b, const Pe& pe, u32 rva, Report& r) {
    bool wide = pe.wide();
    u64 off = fileOffset(b, pe, rva, wide ? 40 : 28, "Linkage");
    u32 id = b.u32At(off, "Linkage");
    u64 init = wide ? b.u64At(off + 8, "Linkage") : b.u32At(off + 4, "Linkage");
    u64 deinit = wide ? b.u64At(off + 16, "Linkage") : b.u32At(off + 8, "Linkage");
    u64 tail = off + (wide ? 24 : 12);
    u32 flags = b.u32At(tail, "Linkage");
    u32 priority = b.u32At(tail + 4, "Linkage");
    u32 version = b.u32At(tail + 8, "Linkage");
    u32 end = b.u32At(tail + 12, "Linkage");
    r.fact("Linkage id " + hex(id) + " flags " + hex(flags) + " priority " + hex(priority) + " version " +
           hex(version) + " end " + hex(end));
    if (id != 0x13) r.fail("Linkage id is " + hex(id) + ", expected 0x13");
    if (flags != 0) r.fail("Linkage flags is " + hex(flags) + ", expected 0");
    if (priority != 0) r.fail("Linkage priority is " + hex(priority) + ", expected 0");
    if (version != 0x0900) r.fail("Linkage version is " + hex(version) + ", expected 0x900");
    if (end != 0) r.fail("Linkage end is " + hex(end) + ", expected 0");
    checkEntry(pe, "init", init, r);
    checkEntry(pe, "deinit", deinit, r);
}

// [SECTION] Dialog templates in the resource tree: type, then name, then
// language; entries with the high bit set lead to a subdirectory.

struct ResourceEntry {
    u32 id;      // 0xFFFFFFFF for a named entry
    u32 offset;  // from the start of the resource tree
    bool directory;
};

std::vector<ResourceEntry> resourceEntries(const Bytes& b, const Pe& pe, u32 root, u32 offset) {
    u64 dir = fileOffset(b, pe, u64{root} + offset, 16, "resource directory");
    u32 count = u32{b.u16At(dir + 12, "resource directory")} + b.u16At(dir + 14, "resource directory");
    if (count > kMaxResourceEntries) throw Malformed{"resource directory with " + std::to_string(count) + " entries"};
    std::vector<ResourceEntry> out;
    for (u32 i = 0; i < count; ++i) {
        u64 e = fileOffset(b, pe, u64{root} + offset + 16 + u64{i} * 8, 8, "resource entry");
        u32 name = b.u32At(e, "resource entry");
        u32 target = b.u32At(e + 4, "resource entry");
        out.push_back({(name & 0x80000000u) ? 0xFFFFFFFFu : name, target & 0x7FFFFFFFu, (target & 0x80000000u) != 0});
    }
    return out;
}

std::vector<FoundDialog> readDialogs(const Bytes& b, const Pe& pe) {
    std::vector<FoundDialog> found;
    DataDir d = pe.dir(kDirResource);
    if (d.rva == 0) return found;
    for (const ResourceEntry& type : resourceEntries(b, pe, d.rva, 0)) {
        if (type.id != kResourceTypeDialog || !type.directory) continue;
        for (const ResourceEntry& name : resourceEntries(b, pe, d.rva, type.offset)) {
            if (!name.directory) continue;
            for (const ResourceEntry& language : resourceEntries(b, pe, d.rva, name.offset)) {
                if (language.directory) continue;
                u64 entry = fileOffset(b, pe, u64{d.rva} + language.offset, 16, "resource data entry");
                u32 rva = b.u32At(entry, "resource data entry");
                u32 size = b.u32At(entry + 4, "resource data entry");
                u64 at = fileOffset(b, pe, rva, size, "dialog template");
                FoundDialog f{int(name.id), {}};
                for (u64 k = 0; k < size; ++k) f.bytes.push_back(b.at(at + k));
                found.push_back(std::move(f));
            }
        }
    }
    return found;
}

void checkDialogs(const Bytes& b, const Pe& pe, Report& r) {
    std::vector<std::string> facts, failures;
    CheckDialogTemplates(readDialogs(b, pe), &facts, &failures);
    for (const std::string& fact : facts) r.fact(fact);
    for (std::string& failure : failures) r.fail(std::move(failure));
}

void checkFile(const char* path, bool wantAmd64, Report& r) {
    std::vector<u8> data;
    std::string why;
    if (!readFile(path, data, why)) {
        r.fail(why);
        return;
    }
    const Bytes b(std::move(data));
    const Pe pe = parseHeaders(b);
    checkHeader(pe, wantAmd64, r);
    auto [importTable, linkage] = checkExports(readExports(b, pe, r), r);
    checkImports(b, pe, r);
    if (importTable != 0) checkImportTable(b, pe, importTable, r);
    if (linkage != 0) checkLinkage(b, pe, linkage, r);
    checkDialogs(b, pe, r);
}

int usage() {
    std::fprintf(stderr, "usage: pecheck --machine i386|amd64 FILE.dll\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string_view machine;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--machine" && i + 1 < argc) {
            machine = argv[++i];
        } else if (!arg.starts_with("-") && !path) {
            path = argv[i];
        } else {
            return usage();
        }
    }
    if (!path || (machine != "i386" && machine != "amd64")) return usage();

    Report r;
    try {
        checkFile(path, machine == "amd64", r);
    } catch (const Malformed& m) {
        r.fail(m.why);
    }
    if (r.failures.empty()) {
        std::printf("pecheck ok\n");
        return 0;
    }
    for (const std::string& f : r.failures) std::printf("pecheck FAIL: %s\n", f.c_str());
    return 1;
}
