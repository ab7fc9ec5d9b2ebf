// scenario.h - the scenario language of skyvane-sim: one command a line,
// '#' comments, blanks between arguments, "double quotes" around an argument
// with blanks. Each subsystem adds a table of commands; the interpreter finds
// a command by its first word. Output is one fact a line: "name value ...".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

struct Scenario;

using Args = std::vector<std::string>;
// Returns false after reporting a usage error with ScenarioError.
using ScenarioFn = bool (*)(Scenario& s, const Args& args);

struct ScenarioCommand {
    const char* name;
    int minArgs;  // arguments after the command word
    int maxArgs;  // -1: no limit
    ScenarioFn run;
    const char* usage;
};

struct ScenarioTable {
    const ScenarioCommand* commands;
    int count;
};

struct Scenario {
    std::FILE* out;
    std::string path;
    int lineNumber;
    std::vector<std::string> lines;  // the whole script
    std::size_t next;                // index of the next line to run
};

// Command tables of each subsystem.
ScenarioTable ShellScenarioCommands();
// The "print" subcommands are looked up in their own tables.
ScenarioTable ShellPrintCommands();
ScenarioTable InputPrintCommands();

// Run a script; returns the process exit code (0 ok, 2 script error).
int RunScenario(const std::string& path, std::FILE* out);

// Helpers for command implementations.
bool ScenarioError(Scenario& s, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void Emit(Scenario& s, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// Numbers: decimal, 0x hex, optional sign.
bool ParseNumber(const std::string& text, long long* value);
bool ParseDouble(const std::string& text, double* value);
// A window by its scenario name ("main", "child", ...); "none" is null.
bool ParseWindow(Scenario& s, const std::string& name, PlatWindow* window);
std::string WindowName(PlatWindow window);
// A message by name (WM_KEYDOWN, FRAME, ...) or number.
bool ParseMessage(const std::string& text, std::uint32_t* message);
std::string MessageName(std::uint32_t message);
// C-style quoting of text for output: "..." with \r \n \t \" \\ \xNN.
std::string Quote(const std::string& text);
// Lines after the current one up to the terminator line, removed from the script.
bool TakeHereDocument(Scenario& s, const std::string& terminator, std::string* text);
