// scenario.h - the scenario language shared by skyvane-sim and fs9host: one
// command a line, '#' comments, blanks between arguments, "double quotes"
// around an argument with blanks. Each program hands the interpreter its
// tables of commands; a command is found by its first word, a print by its
// second. Output is one fact a line: "name value ...".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host_driver.h"

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

// The commands every host runs (through the HostDriver).
ScenarioTable HostScenarioCommands();
ScenarioTable HostPrintCommands();
// The simulator's process (hostsim/host_process.h, run by both hosts).
ScenarioTable ProcessScenarioCommands();
ScenarioTable ProcessPrintCommands();
// Keys and mouse through the host's queue.
ScenarioTable UserInputCommands();

struct ScenarioLanguage {
    std::vector<ScenarioTable> commands;
    std::vector<ScenarioTable> prints;  // the words after "print"
};

// Run a script ("-" reads standard input); returns the process exit code
// (0 ok, 2 script error).
int RunScenario(const std::string& path, std::FILE* out, const ScenarioLanguage& language);
// Run the next lines of the script being run until done(context) answers
// true or the script ends: the host calls it from inside a modal dialog's
// loop, where the lines act as the user. False after a script error.
bool ContinueScenario(bool (*done)(void*), void* context);

// Helpers for command implementations.
bool ScenarioError(Scenario& s, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// A command whose first argument names a sub-command ("joystick press ...").
struct ScenarioSubCommand {
    const char* name;
    std::size_t minArgs, maxArgs;  // arguments after the sub-command's name
    ScenarioFn run;
};
// Runs the sub-command a[0] names with the arguments after it; an unknown
// name or a wrong count reports usage.
bool RunSubCommand(Scenario& s, const Args& a, const ScenarioSubCommand* subs, std::size_t count, const char* usage);

void Emit(Scenario& s, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// Numbers: decimal, 0x hex, optional sign.
bool ParseNumber(const std::string& text, long long* value);
bool ParseDouble(const std::string& text, double* value);
// A window by its scenario name ("main", "child", ...); "none" is null.
bool ParseWindow(Scenario& s, const std::string& name, HostWindow* window);
// A message by name (WM_KEYDOWN, FRAME, ...) or number.
bool ParseMessage(const std::string& text, std::uint32_t* message);
std::string MessageName(std::uint32_t message);
// A virtual key by name (SHIFT, F1, A, 5, NUMPAD3, ...) or number 0..255.
bool ParseVirtualKey(Scenario& s, const std::string& text, int* vk);
// A message's parameter as printed: its low 32 bits, unsigned, when it fits
// the 32-bit host's word (so both bitnesses print 0xC0000001 alike).
long long MessageParameter(long long value);
// C-style quoting of text for output: "..." with \r \n \t \" \\ \xNN.
std::string Quote(const std::string& text);
// Lines after the current one up to the terminator line, removed from the script.
bool TakeHereDocument(Scenario& s, const std::string& terminator, std::string* text);
