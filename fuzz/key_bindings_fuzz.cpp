// key_bindings_fuzz.cpp - any bytes as the configuration file. The reader
// keeps the table within its capacity and every record well formed; what it
// read comes back whole after a write and a read, the second write gives the
// same file, and a smaller table holds the first records of a larger one.
#include <cstdint>
#include <cstring>
#include <string>

#include "files/text_file.h"
#include "fuzz_support.h"
#include "input/key_bindings.h"

namespace {

const char* const kFile = "C:\\FS9\\Skyvane2004.cfg";
const char* const kWritten = "C:\\FS9\\written.cfg";
constexpr int kGuard = 2;

struct Table {
    KeyBinding store[kKeyBindingCapacity + kGuard];
    KeyBindingTable table;
    // Empty, with room for capacity records and a guard behind them.
    void Reset(int capacity) {
        std::memset(store, 0x5A, sizeof store);
        table = KeyBindingTable{capacity, 0, store};
    }
    bool GuardIntact() const {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(&store[table.capacity]);
        for (std::size_t i = 0; i < kGuard * sizeof(KeyBinding); i++) {
            if (p[i] != 0x5A) return false;
        }
        return true;
    }
};

bool SameRecord(const KeyBinding& a, const KeyBinding& b) {
    return std::strcmp(a.name, b.name) == 0 && a.keyCode == b.keyCode && a.modifiers == b.modifiers &&
           a.doubleFlag == b.doubleFlag && a.deadZone == b.deadZone && a.active == b.active && a.rearm == b.rearm;
}

void CheckRecords(const Table& t) {
    FUZZ_CHECK(t.table.count >= 0 && t.table.count <= t.table.capacity);
    FUZZ_CHECK(t.GuardIntact());
    for (int i = 0; i < t.table.count; i++) {
        const KeyBinding& b = t.store[i];
        FUZZ_CHECK(std::memchr(b.name, 0, sizeof b.name) != nullptr);
        FUZZ_CHECK(b.deadZone >= 0 && b.deadZone <= 100);
        FUZZ_CHECK(b.modifiers >= 0 && b.modifiers <= 15);
        FUZZ_CHECK(b.doubleFlag == 0 || b.doubleFlag == 1);
        FUZZ_CHECK(b.active == 0 && b.rearm == 0);
    }
}

std::string Write(const Table& t) {
    std::FILE* file = OpenTextFileForWriting(kWritten);
    FUZZ_CHECK(file != nullptr);
    SaveKeyBindings(file, "Keyboard", &t.table);
    std::fclose(file);
    return fuzz::FileBytes(kWritten);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hostsim::UseMemoryFiles(true);
    hostsim::ResetFiles();
    hostsim::SetMemoryFile(kFile, std::string(reinterpret_cast<const char*>(data), size));

    static Table first, back, small;
    first.Reset(kKeyBindingCapacity);
    FUZZ_CHECK(LoadKeyBindings(kFile, "Keyboard", &first.table) == 1);
    CheckRecords(first);

    // Write, read back, write again.
    const std::string written = Write(first);
    back.Reset(kKeyBindingCapacity);
    FUZZ_CHECK(LoadKeyBindings(kWritten, "Keyboard", &back.table) == 1);
    FUZZ_CHECK(KeyBindingFileMayBeReplaced() == 1);
    FUZZ_CHECK(back.table.count == first.table.count);
    for (int i = 0; i < first.table.count; i++) FUZZ_CHECK(SameRecord(back.store[i], first.store[i]));
    FUZZ_CHECK(Write(back) == written);

    // A small table stops early with the same first records.
    small.Reset(int(size % 5));
    FUZZ_CHECK(LoadKeyBindings(kFile, "Keyboard", &small.table) == 1);
    CheckRecords(small);
    FUZZ_CHECK(small.table.count == (first.table.count < small.table.capacity ? first.table.count
                                                                            : small.table.capacity));
    for (int i = 0; i < small.table.count; i++) FUZZ_CHECK(SameRecord(small.store[i], first.store[i]));
    return 0;
}
