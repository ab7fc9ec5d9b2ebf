// key_file_bench.cpp - start-up cost of hostile configuration files of 1 MB
// ("=", one-letter words, short entries, comments) against a starter file. The files live in the
// substitute host's memory, so the disk is not measured. Build with the
// native-release preset; results go into docs/performance.md.
#include <benchmark/benchmark.h>

#include <string>

#include "hostsim/sim_files.h"
#include "input/key_bindings.h"

namespace {

const char* const kCfg = "C:\\FS9\\Skyvane2004.cfg";

void LoadFile(benchmark::State& state, const std::string& file) {
    hostsim::UseMemoryFiles(true);
    hostsim::SetMemoryFile(kCfg, file);
    static KeyBinding store[kKeyBindingCapacity];
    for (auto _ : state) {
        KeyBindingTable table = {kKeyBindingCapacity, 0, store};
        benchmark::DoNotOptimize(LoadKeyBindings(kCfg, "Keyboard", &table));
        benchmark::DoNotOptimize(table.count);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

void BM_LoadStarterFile(benchmark::State& state) {
    std::string file = "[Keyboard]\n";
    for (int i = 0; i < 60; i++) file += "PilotForward" + std::to_string(i) + "=NUMPAD_8,CONTROL,DOUBLE\n";
    LoadFile(state, file);
}
BENCHMARK(BM_LoadStarterFile);

void BM_LoadMegabyteOfEquals(benchmark::State& state) {
    LoadFile(state, "[Keyboard] " + std::string(1 << 20, '='));
}
BENCHMARK(BM_LoadMegabyteOfEquals)->Unit(benchmark::kMillisecond);

// The slowest value a word can hold: 512 one-letter words to look up in the
// key name table in each of the 256 entries that fill the table.
void BM_LoadMegabyteOfLetters(benchmark::State& state) {
    std::string file = "[Keyboard] ";
    while (file.size() < (1u << 20)) file += "A,";
    LoadFile(state, file);
}
BENCHMARK(BM_LoadMegabyteOfLetters)->Unit(benchmark::kMillisecond);

// Entries that all fit nowhere: the table is full after 256 of 131,000.
void BM_LoadMegabyteOfEntries(benchmark::State& state) {
    std::string file = "[Keyboard]\n";
    while (file.size() < (1u << 20)) file += "X=F1,SHIFT\n";
    LoadFile(state, file);
}
BENCHMARK(BM_LoadMegabyteOfEntries)->Unit(benchmark::kMillisecond);

// Words that are no entries keep the reader going to the end of the file.
void BM_LoadMegabyteOfComments(benchmark::State& state) {
    std::string file = "[Keyboard]\n";
    while (file.size() < (1u << 20)) file += "//ToggleFlyBy=F1\n";
    LoadFile(state, file);
}
BENCHMARK(BM_LoadMegabyteOfComments)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
