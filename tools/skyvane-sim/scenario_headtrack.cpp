// scenario_headtrack.cpp - scenario commands for head tracking: the
// tracker's settings file, real UDP datagrams sent over the loopback
// interface to the module, a port held by someone else, and a print of the
// tracker's state.
//
// Scenarios never use a fixed port: the runner picks a free one on first
// need and writes it wherever "$PORT" stands in the settings text; the
// print shows that port as "$PORT", so the output is the same on every run
// and parallel runs do not meet.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/hostgate.h"
#include "input/head_tracking.h"
#include "scenario.h"

static int s_testPort;           // 0 until picked
static int s_occupier = -1;      // the runner's socket holding the test port
static int s_sender = -1;        // the runner's socket datagrams leave from

static sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A port nobody holds right now: the one the system gives for port 0.
static int TestPort() {
    if (s_testPort) return s_testPort;
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = Loopback(0);
    socklen_t length = sizeof a;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0) {
        s_testPort = ntohs(a.sin_port);
    }
    if (fd >= 0) close(fd);
    return s_testPort;
}

static std::string WithTestPort(std::string text) {
    const std::string port = std::to_string(TestPort());
    for (std::size_t at = text.find("$PORT"); at != std::string::npos; at = text.find("$PORT", at)) {
        text.replace(at, 5, port);
    }
    return text;
}

static bool SendBytes(Scenario& s, const std::vector<std::uint8_t>& bytes) {
    if (s_sender < 0) s_sender = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to = Loopback(TestPort());
    if (s_sender < 0 || TestPort() == 0 ||
        sendto(s_sender, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
        return ScenarioError(s, "cannot send to 127.0.0.1:%d", TestPort());
    }
    return true;
}

// Six doubles, little-endian, as the tracker sends them.
static bool PoseBytes(Scenario& s, const Args& a, std::size_t first, std::vector<std::uint8_t>* bytes) {
    bytes->clear();
    for (std::size_t i = first; i < first + 6; i++) {
        double v = 0.0;
        if (!ParseDouble(a[i], &v)) return ScenarioError(s, "not a number: %s", a[i].c_str());
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int b = 0; b < 8; b++) bytes->push_back(std::uint8_t(bits >> (8 * b)));
    }
    return true;
}

// [SECTION] Commands

static bool Config(Scenario& s, const Args& a) {
    std::string text;
    if (a[0].rfind("<<", 0) == 0) {
        if (!TakeHereDocument(s, a[0].substr(2), &text)) return false;
    } else {
        text = a[0];
    }
    std::string path = std::string("C:\\FS9\\") + kHeadTrackFileName;
    return Host().PutFile(path, WithTestPort(text)) ? true : ScenarioError(s, "cannot write %s", path.c_str());
}

static bool Send(Scenario& s, const Args& a) {
    std::vector<std::uint8_t> bytes;
    return PoseBytes(s, a, 0, &bytes) && SendBytes(s, bytes);
}

// The pose cut to, or padded with zeros to, N bytes.
static bool SendSize(Scenario& s, const Args& a) {
    long long n = 0;
    if (!ParseNumber(a[0], &n) || n < 0 || n > 1024) return ScenarioError(s, "size 0-1024: %s", a[0].c_str());
    std::vector<std::uint8_t> bytes;
    if (!PoseBytes(s, a, 1, &bytes)) return false;
    bytes.resize(std::size_t(n), 0);
    return SendBytes(s, bytes);
}

static bool SendHex(Scenario& s, const Args& a) {
    const std::string& hex = a[0] == "-" ? std::string() : a[0];
    if (hex.size() % 2) return ScenarioError(s, "odd number of hex digits");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        long long byte = 0;
        if (!ParseNumber("0x" + hex.substr(i, 2), &byte)) return ScenarioError(s, "not hex: %s", hex.c_str());
        bytes.push_back(std::uint8_t(byte));
    }
    return SendBytes(s, bytes);
}

static bool Occupy(Scenario& s, const Args&) {
    if (s_occupier >= 0) return true;
    s_occupier = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = Loopback(TestPort());
    if (s_occupier < 0 || bind(s_occupier, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        return ScenarioError(s, "cannot hold 127.0.0.1:%d", TestPort());
    }
    return true;
}

static bool Free(Scenario&, const Args&) {
    if (s_occupier >= 0) close(s_occupier);
    s_occupier = -1;
    return true;
}

static const char* const kUsage =
    "headtrack config TEXT|<<END | send X Y Z YAW PITCH ROLL | send-size N X Y Z YAW PITCH ROLL"
    " | send-hex HEX|- | occupy | free";

static bool HeadTrack(Scenario& s, const Args& a) {
    static const ScenarioSubCommand kSubs[] = {
        {"config", 1, 1, Config},     {"send", 6, 6, Send},       {"send-size", 7, 7, SendSize},
        {"send-hex", 1, 1, SendHex},  {"occupy", 0, 0, Occupy},   {"free", 0, 0, Free},
    };
    return RunSubCommand(s, a, kSubs, sizeof kSubs / sizeof kSubs[0], kUsage);
}

static const ScenarioCommand kHeadTrackCommands[] = {
    {"headtrack", 1, 8, HeadTrack, kUsage},
};

ScenarioTable HeadTrackScenarioCommands() {
    return {kHeadTrackCommands, int(sizeof kHeadTrackCommands / sizeof kHeadTrackCommands[0])};
}

// [SECTION] print headtrack

static std::string PortText(int port) {
    return port != 0 && port == s_testPort ? "$PORT" : std::to_string(port);
}

static void EmitSix(Scenario& s, const char* what, const double v[kTrackAxisCount]) {
    Emit(s, "headtrack %s %.6f %.6f %.6f %.6f %.6f %.6f", what, v[0], v[1], v[2], v[3], v[4], v[5]);
}

static bool PrintHeadTrack(Scenario& s, const Args&) {
    static const char* const kSocket[] = {"closed", "open", "failed"};
    const HeadTracker& t = g_headTracker;
    const HostgateContext& g = g_hostgate;
    const HeadTrackConfig& c = t.config;
    Emit(s, "headtrack enabled %d active %d port %s socket %s", c.enabled, t.active, PortText(c.port).c_str(),
         kSocket[t.socketState >= 0 && t.socketState <= 2 ? t.socketState : 0]);
    EmitSix(s, "scale", c.scale);
    Emit(s, "headtrack invert %d %d %d %d %d %d", c.invert[0], c.invert[1], c.invert[2], c.invert[3], c.invert[4],
         c.invert[5]);
    if (t.havePose) {
        EmitSix(s, "pose", t.pose);
        Emit(s, "headtrack age %.3f", std::uint32_t(t.lastTickMs - t.poseMs) / 1000.0);
    } else {
        Emit(s, "headtrack pose none");
    }
    EmitSix(s, "centre", t.centre);
    Emit(s, "headtrack datagrams accepted %u rejected %u", t.accepted, t.rejected);
    Emit(s, "headtrack weight %.6f", t.weight);
    // What the cockpit view adds this frame, as the camera tick handed it over.
    Emit(s, "headtrack applied %d eye %.6f %.6f %.6f head %.6f %.6f %.6f", g.trackedPoseOn, g.trackedEye[0],
         g.trackedEye[1], g.trackedEye[2], g.trackedHead[0], g.trackedHead[1], g.trackedHead[2]);
    return true;
}

static const ScenarioCommand kHeadTrackPrints[] = {
    {"headtrack", 0, 0, PrintHeadTrack, "print headtrack"},
};

ScenarioTable HeadTrackPrintCommands() {
    return {kHeadTrackPrints, int(sizeof kHeadTrackPrints / sizeof kHeadTrackPrints[0])};
}
