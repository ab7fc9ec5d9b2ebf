// dialog_template.cpp - bounded reading of dialog templates and .res files.
#include "dialog_template.h"

namespace dlgtpl {
namespace {

// A cursor over the bytes; every read checks the end first and a failed
// read leaves `ok` false for good.
struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
    bool ok;

    bool Has(std::size_t n) const { return ok && at <= size && n <= size - at; }
    std::uint16_t U16() {
        if (!Has(2)) return ok = false, 0;
        std::uint16_t v = std::uint16_t(data[at] | (data[at + 1] << 8));
        at += 2;
        return v;
    }
    std::uint32_t U32() {
        std::uint32_t lo = U16();
        return lo | (std::uint32_t(U16()) << 16);
    }
    void Align4() {
        std::size_t aligned = (at + 3) & ~std::size_t(3);
        if (aligned > size) ok = false;
        at = aligned;
    }
    // A zero-terminated UTF-16 string.
    std::string Text() {
        std::string out;
        while (ok) {
            std::uint16_t c = U16();
            if (!ok || c == 0) break;
            out += c < 0x100 ? char(c) : '?';
        }
        return out;
    }
    // The sz_Or_Ord field: 0 none, 0xFFFF then an ordinal, else a string.
    std::string NameOrOrdinal(std::uint16_t* ordinal) {
        *ordinal = 0;
        if (!Has(2)) return ok = false, std::string();
        std::uint16_t first = std::uint16_t(data[at] | (data[at + 1] << 8));
        if (first == 0) return at += 2, std::string();
        if (first == 0xFFFF) {
            at += 2;
            *ordinal = U16();
            return "#" + std::to_string(*ordinal);
        }
        return Text();
    }
};

bool ParseControl(Reader& r, Control* c) {
    r.Align4();
    c->style = r.U32();
    c->exStyle = r.U32();
    c->x = std::int16_t(r.U16()), c->y = std::int16_t(r.U16());
    c->cx = std::int16_t(r.U16()), c->cy = std::int16_t(r.U16());
    c->id = r.U16();
    c->className = r.NameOrOrdinal(&c->classOrdinal);
    if (c->classOrdinal != 0) c->className = PredefinedClass(c->classOrdinal);
    std::uint16_t textOrdinal = 0;
    c->text = r.NameOrOrdinal(&textOrdinal);
    c->creationDataSize = r.U16();
    if (r.Has(c->creationDataSize)) r.at += c->creationDataSize;
    else r.ok = false;
    return r.ok;
}

}  // namespace

const char* PredefinedClass(std::uint16_t ordinal) {
    static const char* const kNames[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
    return (ordinal >= 0x80 && ordinal <= 0x85) ? kNames[ordinal - 0x80] : "";
}

bool ParseTemplate(const std::uint8_t* data, std::size_t size, Template* out) {
    Reader r{data, size, 0, data != nullptr};
    *out = Template{};
    out->style = r.U32();
    if (r.ok && (out->style & 0xFFFF0000u) == 0xFFFF0000u) return false;  // DLGTEMPLATEEX: not this format
    out->exStyle = r.U32();
    std::uint16_t count = r.U16();
    out->x = std::int16_t(r.U16()), out->y = std::int16_t(r.U16());
    out->cx = std::int16_t(r.U16()), out->cy = std::int16_t(r.U16());
    std::uint16_t ordinal = 0;
    out->menu = r.NameOrOrdinal(&ordinal);
    out->windowClass = r.NameOrOrdinal(&ordinal);
    out->caption = r.Text();
    if (out->style & 0x40) {  // DS_SETFONT
        out->pointSize = r.U16();
        out->font = r.Text();
    }
    for (std::uint16_t i = 0; i < count && r.ok; i++) {
        Control c{};
        if (ParseControl(r, &c)) out->controls.push_back(c);
    }
    return r.ok;
}

// Each entry: data size, header size, type, name, then (aligned) data
// version, memory flags, language, version, characteristics; the data
// follows the header, and the next entry starts on a 4-byte boundary.
bool ReadResFile(const std::uint8_t* data, std::size_t size, std::vector<ResEntry>* out) {
    out->clear();
    Reader r{data, size, 0, data != nullptr};
    while (r.ok && r.at < size) {
        std::size_t start = r.at;
        std::uint32_t dataSize = r.U32();
        std::uint32_t headerSize = r.U32();
        ResEntry e{};
        std::uint16_t typeOrdinal = 0, idOrdinal = 0;
        r.NameOrOrdinal(&typeOrdinal);
        r.NameOrOrdinal(&idOrdinal);
        r.Align4();
        r.U32();
        r.U16();
        e.language = r.U16();
        if (!r.ok || headerSize < r.at - start || headerSize > size - start) return false;
        std::size_t body = start + headerSize;
        if (dataSize > size - body) return false;
        e.type = typeOrdinal, e.id = idOrdinal;
        e.data = data + body, e.size = dataSize;
        if (e.type != 0 || e.id != 0 || dataSize != 0) out->push_back(e);  // the empty first entry is a marker
        r.at = body + dataSize;
        r.Align4();
    }
    return r.ok;
}

}  // namespace dlgtpl
