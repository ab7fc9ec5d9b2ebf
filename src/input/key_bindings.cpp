// key_bindings.cpp - the configuration file's key bindings.
//
// The file is read as a stream of blank-separated words, as a formatted "%s"
// read would see it: line ends mean nothing, and an entry is one word such as
// "ToggleFlyBy=F1,SHIFT,DOUBLE". The file is handled as bytes; only the six
// ASCII white-space bytes separate words, whatever the locale.
#include "input/key_bindings.h"

#include <cstring>

#include "files/number_text.h"
#include "files/text_file.h"
#include "input/key_names.h"
#include "platform/platform_files.h"

namespace {

constexpr int kMaxWord = 1023;
constexpr int kNameSize = sizeof(KeyBinding{}.name);

bool IsBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Characters that separate the parts of an entry: controls, blank and any byte
// of 128 and above. ',' is not one of them, but is passed over alike.
bool IsSeparator(unsigned char c) {
    return (c >= 1 && c <= 32) || c >= 128;
}

bool EndsPart(unsigned char c) {
    return c == 0 || c == ',' || c == '=' || IsSeparator(c);
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Buffered byte reader over the file.
struct WordReader {
    std::FILE* file;
    unsigned char buffer[4096];
    std::size_t size;
    std::size_t at;

    int Peek() {
        if (at == size) {
            size = std::fread(buffer, 1, sizeof buffer, file);
            at = 0;
            if (size == 0) return EOF;
        }
        return buffer[at];
    }

    // A UTF-8 byte-order mark, which some editors put at the start of
    // every file they save, is not part of the first word.
    void SkipByteOrderMark() {
        static const unsigned char kMark[3] = {0xEF, 0xBB, 0xBF};
        Peek();
        if (size - at >= 3 && std::memcmp(buffer + at, kMark, 3) == 0) at += 3;
    }

    // The next word into word[kMaxWord + 1]; false at end of file. A word
    // longer than kMaxWord bytes is split: the rest is read as the next word,
    // as a width-limited "%1023s" read would leave it. A NUL byte is part of
    // the word like any other byte, so the word's text, used as a string,
    // ends there; what follows it up to the next blank is passed over.
    bool Next(char* word) {
        int c = Peek();
        while (c != EOF && IsBlank(c)) {
            at++;
            c = Peek();
        }
        if (c == EOF) return false;
        int length = 0;
        while (c != EOF && !IsBlank(c) && length < kMaxWord) {
            word[length++] = char(c);
            at++;
            c = Peek();
        }
        word[length] = 0;
        return true;
    }
};

bool IsSectionHeader(const char* word, const char* section) {
    if (word[0] != '[') return false;
    const char* w = word + 1;
    for (const char* s = section; *s; s++, w++) {
        if (*w == 0 || UpperAscii(*w) != UpperAscii(*s)) return false;
    }
    return w[0] == ']' && w[1] == 0;
}

bool IsEntry(const char* word) {
    return std::strchr(word, '=') && std::strlen(word) >= 2 && !(word[0] == '/' && word[1] == '/');
}

void ApplyValueWord(const char* word, KeyBinding* binding) {
    if (std::strcmp(word, "SHIFT") == 0) {
        binding->modifiers |= 1;
    } else if (std::strcmp(word, "CONTROL") == 0) {
        binding->modifiers |= 2;
    } else if (std::strcmp(word, "ALT") == 0) {
        binding->modifiers |= 4;
    } else if (std::strcmp(word, "INVERSE") == 0) {
        binding->modifiers |= 8;
    } else if (std::strcmp(word, "DOUBLE") == 0) {
        binding->doubleFlag = 1;
    } else if (word[0] == 'N' && word[1] == 'Z') {
        int zone = ParseLeadingInt(word + 2);
        binding->deadZone = zone < 0 ? 0 : (zone > 100 ? 100 : zone);
    } else if (const KeyNameRow* row = FindKeyName(word)) {
        binding->keyCode = row->keyCode;
    } else {
        binding->keyCode = static_cast<unsigned char>(word[0]);
    }
}

// One entry word into a cleared binding. The word is changed: its value part
// is upper-cased in place.
void ParseEntry(char* entry, KeyBinding* binding) {
    std::memset(binding, 0, sizeof *binding);
    char* equals = std::strchr(entry, '=');
    for (char* p = equals; *p; p++) *p = UpperAscii(*p);

    // A longer command name is cut to what the record holds.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(entry);
    while (IsSeparator(*p) || *p == ',') p++;
    int length = 0;
    for (; !EndsPart(*p); p++) {
        if (length < kNameSize - 1) binding->name[length++] = char(*p);
    }
    binding->name[length] = 0;

    // The value: words separated by ',' and separator bytes. A '=' after the
    // first one is a word of its own (key code 61), so the scan always moves
    // on and the '=' key, written "Name==", reads back. A trailing ',' leaves
    // an empty last word, which sets key code 0.
    char word[kMaxWord + 1];
    p = reinterpret_cast<const unsigned char*>(equals + 1);
    for (;;) {
        while (IsSeparator(*p) || *p == ',') p++;
        const unsigned char* start = p;
        if (*p == '=') {
            // No keyword or key name is "=": its own code, without the
            // table walk (a value of a thousand '=' costs no more than one).
            p++;
            binding->keyCode = '=';
        } else {
            while (!EndsPart(*p)) p++;
            std::size_t size = std::size_t(p - start);
            std::memcpy(word, start, size);
            word[size] = 0;
            ApplyValueWord(word, binding);
        }
        if (*p == 0) break;
    }
}

}  // namespace

// What the last LoadKeyBindings found; see KeyBindingFileMayBeReplaced.
static int s_fileMayBeReplaced = 1;

static bool TableFull(const KeyBindingTable* table) {
    return !table->bindings || table->count < 0 || table->count >= table->capacity;
}

int LoadKeyBindings(const char* path, const char* section, KeyBindingTable* table) {
    s_fileMayBeReplaced = 0;
    if (!path || !section || !table) return 0;
    std::FILE* file = OpenTextFileForReading(path);
    if (!file) {
        // A file that is there but cannot be opened (locked, no rights) holds
        // bindings the module never saw.
        s_fileMayBeReplaced = !PlatFileExists(path);
        return 0;
    }

    WordReader reader = {file, {}, 0, 0};
    reader.SkipByteOrderMark();
    char word[kMaxWord + 1];
    bool inSection = false, sectionSeen = false, anyWord = false;
    while (reader.Next(word)) {
        anyWord = true;
        if (!inSection) {
            inSection = IsSectionHeader(word, section);
            sectionSeen = sectionSeen || inSection;
        } else if (std::strchr(word, '[')) {
            // Ends the section and is used up, even when it names the same
            // section again: only a later header reopens it.
            inSection = false;
        } else if (IsEntry(word)) {
            // Once the table is full nothing later in the file can change it.
            if (TableFull(table)) break;
            KeyBinding binding;
            ParseEntry(word, &binding);
            table->bindings[table->count++] = binding;
        }
    }
    std::fclose(file);
    // Rewriting loses nothing the table does not hold when the section was
    // read, or when the file held nothing at all.
    s_fileMayBeReplaced = sectionSeen || !anyWord;
    return 1;
}

int KeyBindingFileMayBeReplaced() {
    return s_fileMayBeReplaced;
}

// A key code without a row is written as its low byte, left out when it would
// not read back as key code 0 or the code itself: NUL, white space (it ends
// the word) and '[' (it ends the section, losing every later binding) would
// cut the entry short, and the printable low byte of a code above 255 would
// read back as another key. The binding then reads back with key code 0 and
// the rest of its value intact.
static bool WritableKeyByte(int keyCode) {
    int low = keyCode & 0xFF;
    if (low == 0 || IsBlank(low) || low == '[') return false;
    return keyCode == low || low < 33 || low >= 128;
}

int SaveKeyBindings(std::FILE* file, const char* section, const KeyBindingTable* table) {
    if (!file) return 1;
    TextPrintf(file, "[%s]\n\n", section ? section : "");
    int count = (table && table->bindings) ? table->count : 0;
    if (table && count > table->capacity) count = table->capacity;
    for (int i = 0; i < count; i++) {
        const KeyBinding& b = table->bindings[i];
        // The reader passes over a leading ',' but takes a word that begins
        // with "//" for a comment: such a name gets the ',' in front.
        if (b.name[0] == '/' && b.name[1] == '/') TextPrintf(file, ",");
        TextPrintf(file, "%.*s=", kNameSize - 1, b.name);
        if (const KeyNameRow* row = FindKeyCode(b.keyCode)) {
            TextPrintf(file, "%s", row->keyName);
        } else if (WritableKeyByte(b.keyCode)) {
            TextPrintf(file, "%c", b.keyCode & 0xFF);
        } else if (b.name[0] == 0) {
            // "=" alone is too short to be an entry; the code reads back as 0 either way.
            TextPrintf(file, "NONE");
        }
        if (b.modifiers & 1) TextPrintf(file, ",SHIFT");
        if (b.modifiers & 2) TextPrintf(file, ",CONTROL");
        if (b.modifiers & 4) TextPrintf(file, ",ALT");
        if (b.modifiers & 8) TextPrintf(file, ",INVERSE");
        if (b.doubleFlag) TextPrintf(file, ",DOUBLE");
        if (b.deadZone != 0) TextPrintf(file, "%s%d", ",NZ", b.deadZone);
        TextPrintf(file, "\n");
    }
    TextPrintf(file, "\n");
    return 1;
}
