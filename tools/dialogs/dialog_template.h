// dialog_template.h - reader of the dialog template format (DLGTEMPLATE with
// its DLGITEMTEMPLATE records) and of compiled resource (.res) files. Three
// programs share it: pecheck reads the templates out of the built DLLs, the
// substitute host builds its dialogs from the same templates, and fs9host
// tells which template an open dialog came from.
//
// The bytes are untrusted: every read is bounded, and a malformed template
// makes the reader answer false, never crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dlgtpl {

inline constexpr std::uint16_t kResourceTypeDialog = 5;  // RT_DIALOG

struct Control {
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x, y, cx, cy;  // dialog units
    std::uint16_t id;           // 0xFFFF for labels and group boxes
    std::uint16_t classOrdinal;  // 0x80 Button ... 0x85 ComboBox; 0 when named
    std::string className;      // the predefined class's name when given by ordinal
    std::string text;           // 8-bit (code units above 0xFF become '?')
    std::uint16_t creationDataSize;
};

struct Template {
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x, y, cx, cy;  // dialog units
    std::string menu;           // empty: none ("#N" for an ordinal)
    std::string windowClass;    // empty: the dialog class
    std::string caption;
    std::uint16_t pointSize;    // 0 without DS_SETFONT
    std::string font;
    std::vector<Control> controls;  // in template order
};

// Reads a standard (not extended) dialog template of `size` bytes.
bool ParseTemplate(const std::uint8_t* data, std::size_t size, Template* out);

// One resource of a .res file (the resource compiler's output).
struct ResEntry {
    std::uint16_t type;    // ordinal; 0 when named
    std::uint16_t id;      // ordinal; 0 when named
    std::uint16_t language;
    const std::uint8_t* data;
    std::size_t size;
};
// Every resource named by ordinals; false when the file is malformed.
bool ReadResFile(const std::uint8_t* data, std::size_t size, std::vector<ResEntry>* out);

// "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"; "" otherwise.
const char* PredefinedClass(std::uint16_t ordinal);

}  // namespace dlgtpl
