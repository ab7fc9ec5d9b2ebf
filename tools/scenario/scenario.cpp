// scenario.cpp - the scenario interpreter: reading, tokenising, dispatching.
#include "scenario.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <iostream>

#include "platform/platform.h"

static HostDriver* g_driver;

HostDriver& Host() {
    return *g_driver;
}

void SetHost(HostDriver* driver) {
    g_driver = driver;
}

bool ScenarioError(Scenario& s, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::fprintf(stderr, "%s:%d: %s\n", s.path.c_str(), s.lineNumber, text);
    return false;
}

bool RunSubCommand(Scenario& s, const Args& a, const ScenarioSubCommand* subs, std::size_t count, const char* usage) {
    for (std::size_t i = 0; i < count && !a.empty(); i++) {
        if (a[0] != subs[i].name) continue;
        const Args rest(a.begin() + 1, a.end());
        if (rest.size() < subs[i].minArgs || rest.size() > subs[i].maxArgs) break;
        return subs[i].run(s, rest);
    }
    return ScenarioError(s, "%s", usage);
}

void Emit(Scenario& s, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(s.out, format, args);
    va_end(args);
    std::fputc('\n', s.out);
}

bool ParseNumber(const std::string& text, long long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtoll(text.c_str(), &end, 0);
    return end && *end == 0;
}

bool ParseDouble(const std::string& text, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end && *end == 0;
}

bool ParseWindow(Scenario& s, const std::string& name, HostWindow* window) {
    if (name == "none") {
        *window = 0;
        return true;
    }
    *window = Host().WindowByName(name);
    return *window ? true : ScenarioError(s, "no window named %s", name.c_str());
}

struct MessageNameRow {
    const char* name;
    std::uint32_t number;
};

static const MessageNameRow kMessageNames[] = {
    {"WM_NULL", kMsgNull},
    {"WM_KEYDOWN", kMsgKeyDown},
    {"WM_KEYUP", kMsgKeyUp},
    {"WM_INITDIALOG", kMsgInitDialog},
    {"WM_COMMAND", kMsgCommand},
    {"WM_TIMER", kMsgTimer},
    {"WM_INITMENU", kMsgInitMenu},
    {"WM_MOUSEMOVE", kMsgMouseMove},
    {"WM_LBUTTONDOWN", kMsgLButtonDown},
    {"WM_LBUTTONUP", kMsgLButtonUp},
    {"WM_RBUTTONDOWN", kMsgRButtonDown},
    {"WM_RBUTTONUP", kMsgRButtonUp},
    {"WM_MBUTTONDOWN", kMsgMButtonDown},
    {"WM_MBUTTONUP", kMsgMButtonUp},
    {"WM_MOUSEWHEEL", kMsgMouseWheel},
    {"FRAME", kMsgHostFrame},
    {"JOYSTICK_BUTTON_DOWN", kMsgJoystickButtonDown},
    {"JOYSTICK_BUTTON_UP", kMsgJoystickButtonUp},
};

bool ParseMessage(const std::string& text, std::uint32_t* message) {
    for (const MessageNameRow& row : kMessageNames) {
        if (text == row.name) {
            *message = row.number;
            return true;
        }
    }
    long long n = 0;
    if (!ParseNumber(text, &n) || n < 0 || n > 0xFFFFFFFFLL) return false;
    *message = std::uint32_t(n);
    return true;
}

std::string MessageName(std::uint32_t message) {
    for (const MessageNameRow& row : kMessageNames) {
        if (row.number == message) return row.name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", message);
    return text;
}

long long MessageParameter(long long value) {
    if (value >= -2147483648LL && value < 4294967296LL) return (long long)std::uint32_t(value);
    return value;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c < 32 || c >= 127) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

bool TakeHereDocument(Scenario& s, const std::string& terminator, std::string* text) {
    text->clear();
    while (s.next < s.lines.size()) {
        std::string line = s.lines[s.next++];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == terminator) return true;
        *text += line;
        *text += '\n';
    }
    return ScenarioError(s, "no line %s ends the text", terminator.c_str());
}

// Words separated by blanks; "..." groups, with \" and \\ inside.
static bool Tokenise(Scenario& s, const std::string& line, Args* words) {
    words->clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) i++;
        if (i >= line.size() || line[i] == '#') break;
        std::string word;
        if (line[i] == '"') {
            for (i++; i < line.size() && line[i] != '"'; i++) {
                if (line[i] == '\\' && i + 1 < line.size()) i++;
                word += line[i];
            }
            if (i >= line.size()) return ScenarioError(s, "unterminated quote");
            i++;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
        }
        words->push_back(word);
    }
    return true;
}

static const ScenarioCommand* FindCommand(const std::vector<ScenarioTable>& tables, const std::string& name) {
    for (const ScenarioTable& table : tables) {
        for (int i = 0; i < table.count; i++) {
            if (name == table.commands[i].name) return &table.commands[i];
        }
    }
    return nullptr;
}

static bool RunCommand(Scenario& s, const std::vector<ScenarioTable>& tables, const Args& words) {
    const ScenarioCommand* command = FindCommand(tables, words[0]);
    if (!command) return ScenarioError(s, "unknown command %s", words[0].c_str());
    Args args(words.begin() + 1, words.end());
    int n = int(args.size());
    if (n < command->minArgs || (command->maxArgs >= 0 && n > command->maxArgs)) {
        return ScenarioError(s, "usage: %s", command->usage);
    }
    return command->run(s, args);
}

static const ScenarioLanguage* g_language;

static bool Print(Scenario& s, const Args& args) {
    return RunCommand(s, g_language->prints, args);
}

static const ScenarioCommand kPrint = {"print", 1, -1, Print, "print WHAT [ARGS]"};

// The script being run and its tables, for the lines a modal dialog runs
// inside its own loop; a script error there ends the whole run.
static Scenario* g_scenario;
static std::vector<ScenarioTable> g_tables;
static bool g_failed;

static bool RunLines(Scenario& s, bool (*done)(void*), void* context) {
    Args words;
    while (s.next < s.lines.size() && !g_failed) {
        if (done && done(context)) return true;
        s.lineNumber = int(s.next) + 1;
        const std::string& line = s.lines[s.next++];
        if (!Tokenise(s, line, &words) || (!words.empty() && !RunCommand(s, g_tables, words))) g_failed = true;
        std::fflush(s.out);
    }
    return !g_failed;
}

bool ContinueScenario(bool (*done)(void*), void* context) {
    return g_scenario && RunLines(*g_scenario, done, context);
}

int RunScenario(const std::string& path, std::FILE* out, const ScenarioLanguage& language) {
    Scenario s{out, path, 0, {}, 0};
    std::ifstream file;
    std::istream* in = &std::cin;
    if (path != "-") {
        file.open(path);
        if (!file) {
            std::fprintf(stderr, "%s: cannot open\n", path.c_str());
            return 2;
        }
        in = &file;
    }
    for (std::string line; std::getline(*in, line);) s.lines.push_back(line);

    g_language = &language;
    g_tables = language.commands;
    g_tables.push_back(ScenarioTable{&kPrint, 1});
    g_scenario = &s;
    g_failed = false;
    bool ok = RunLines(s, nullptr, nullptr);
    g_scenario = nullptr;
    return ok ? 0 : 2;
}
