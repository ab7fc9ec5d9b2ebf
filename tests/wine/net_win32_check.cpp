// net_win32_check.cpp - the network part of the seam exactly as the DLL
// has it (net_win32.cpp: Winsock loaded at run time, byte order by hand),
// run under wine64: open, a second open of the same port, empty reads,
// datagrams of the right size, too long and empty, then a datagram sent by
// the Linux side (tests/run_wine_net.sh sends it with udpsend once this
// program has printed its port), close and open again. One line per check;
// the exit code counts the failures.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/platform_net.h"

static int s_failures;

static void Expect(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) s_failures++;
}

// The sending side has a Winsock of its own, linked as usual.
static std::uint16_t FreePort() {
    SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof a;
    std::uint16_t port = 0;
    if (bind(probe, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&a), &length) == 0) {
        port = ntohs(a.sin_port);
    }
    closesocket(probe);
    return port;
}

static void SendTo(std::uint16_t port, const void* data, int size) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sendto(s, static_cast<const char*>(data), size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    closesocket(s);
}

static double LittleEndianDouble(const std::uint8_t* p) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; i--) bits = bits << 8 | p[i];
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Up to ten seconds for one 48-byte datagram from outside.
static bool AwaitOutsideDatagram(PlatUdpSocket s, std::uint8_t* buf) {
    for (int i = 0; i < 1000; i++) {
        if (PlatUdpReceive(s, buf, 64) == 48) return true;
        Sleep(10);
    }
    return false;
}

int main() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 99;
    const std::uint16_t port = FreePort();
    PlatUdpSocket s = PlatUdpOpenLoopback(port);
    Expect(port != 0 && s != kNoUdpSocket, "open 127.0.0.1 on a free port");
    Expect(PlatUdpOpenLoopback(port) == kNoUdpSocket, "a second open of the same port fails");

    std::uint8_t buf[64];
    Expect(PlatUdpReceive(s, buf, 64) == -1, "nothing waiting: -1 at once");
    std::uint8_t pose[48], big[200] = {};
    for (int i = 0; i < 48; i++) pose[i] = std::uint8_t(i * 5 + 1);
    SendTo(port, pose, sizeof pose);
    SendTo(port, big, sizeof big);
    SendTo(port, pose, 0);
    Sleep(50);
    Expect(PlatUdpReceive(s, buf, 64) == 48 && std::memcmp(buf, pose, 48) == 0, "48 bytes read as sent");
    Expect(PlatUdpReceive(s, buf, 64) == 65, "200 bytes: longer than the buffer");
    Expect(PlatUdpReceive(s, buf, 64) == 0, "an empty datagram");
    Expect(PlatUdpReceive(s, buf, 64) == -1, "all taken");

    std::printf("port %u\n", unsigned(port));
    std::fflush(stdout);
    const bool outside = AwaitOutsideDatagram(s, buf);
    Expect(outside, "a datagram from the Linux side");
    if (outside) {
        std::printf("pose");
        for (int i = 0; i < 6; i++) std::printf(" %.3f", LittleEndianDouble(buf + 8 * i));
        std::printf("\n");
    }
    PlatUdpClose(s);
    PlatUdpSocket again = PlatUdpOpenLoopback(port);
    Expect(again != kNoUdpSocket, "the port opens again after close");
    PlatUdpClose(again);
    WSACleanup();
    return s_failures;
}
