// net_win32.cpp - the network part of the platform seam on Winsock 2.
// ws2_32.dll is loaded on the first open, from the camera tick and never
// from the library entry point (Winsock must not start under the loader
// lock), so the module imports only what it always did and still loads
// where Winsock is missing. Byte order is done here by hand: htons and
// htonl are Winsock imports too. Winsock stays loaded until the process
// ends; shut-down runs in the entry point, where it must not be unloaded.
#include <winsock2.h>
#include <windows.h>

#include "platform/platform_net.h"

using StartupFn = int(WSAAPI*)(WORD, LPWSADATA);
using SocketFn = SOCKET(WSAAPI*)(int, int, int);
using BindFn = int(WSAAPI*)(SOCKET, const sockaddr*, int);
using IoctlFn = int(WSAAPI*)(SOCKET, long, u_long*);
using RecvFn = int(WSAAPI*)(SOCKET, char*, int, int);
using CloseFn = int(WSAAPI*)(SOCKET);
using LastErrorFn = int(WSAAPI*)();

struct Winsock {
    HMODULE library;  // non-null once loaded and started
    StartupFn startup;
    SocketFn socket;
    BindFn bind;
    IoctlFn ioctl;
    RecvFn recv;
    CloseFn close;
    LastErrorFn lastError;
};

static Winsock s_winsock;
static bool s_tried;  // one attempt to load per process

template <typename Fn>
static bool Entry(HMODULE library, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
    return *fn != nullptr;
}

// 1 when Winsock is loaded and started.
static int LoadWinsock() {
    if (s_winsock.library || s_tried) return s_winsock.library != nullptr;
    s_tried = true;
    HMODULE library = LoadLibraryA("ws2_32.dll");
    if (!library) return 0;
    Winsock w{};
    bool found = Entry(library, "WSAStartup", &w.startup) && Entry(library, "socket", &w.socket) &&
                 Entry(library, "bind", &w.bind) && Entry(library, "ioctlsocket", &w.ioctl) &&
                 Entry(library, "recv", &w.recv) && Entry(library, "closesocket", &w.close) &&
                 Entry(library, "WSAGetLastError", &w.lastError);
    WSADATA data;
    if (!found || w.startup(MAKEWORD(2, 2), &data) != 0) {
        FreeLibrary(library);
        return 0;
    }
    w.library = library;
    s_winsock = w;
    return 1;
}

PlatUdpSocket PlatUdpOpenLoopback(std::uint16_t port) {
    if (!LoadWinsock()) return kNoUdpSocket;
    SOCKET s = s_winsock.socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return kNoUdpSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = u_short((port >> 8) | (port << 8));  // network order on a little-endian machine
    address.sin_addr.s_addr = 0x0100007Fu;                    // 127.0.0.1, network order
    u_long nonBlocking = 1;
    if (s_winsock.bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        s_winsock.ioctl(s, long(FIONBIO), &nonBlocking) != 0) {
        s_winsock.close(s);
        return kNoUdpSocket;
    }
    return PlatUdpSocket(s);
}

int PlatUdpReceive(PlatUdpSocket socket, std::uint8_t* buf, int size) {
    if (socket == kNoUdpSocket || !s_winsock.library || size < 0) return -1;
    int n = s_winsock.recv(SOCKET(socket), reinterpret_cast<char*>(buf), size, 0);
    if (n != SOCKET_ERROR) return n;
    // A datagram too long for buf is cut and taken off the queue; a reset
    // reports an earlier send's failure, not this socket's. Both leave the
    // next datagram to read.
    int error = s_winsock.lastError();
    if (error == WSAEMSGSIZE || error == WSAECONNRESET) return size + 1;
    return -1;
}

void PlatUdpClose(PlatUdpSocket socket) {
    if (socket != kNoUdpSocket && s_winsock.library) s_winsock.close(SOCKET(socket));
}
