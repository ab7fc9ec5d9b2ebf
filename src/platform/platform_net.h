// platform_net.h - the network part of the platform seam: one non-blocking
// UDP socket on the loopback interface, for the head tracker's datagrams.
//
// win32 loads Winsock at run time (net_win32.cpp), so the module's imports
// stay as they are and it still loads where Winsock is missing; the
// substitute host uses real POSIX sockets (net_sim.cpp), so tests and the
// scenario runner talk to the module over the real network stack. Nothing
// here blocks.
#pragma once

#include <cstdint>

using PlatUdpSocket = std::intptr_t;  // SOCKET / file descriptor
inline constexpr PlatUdpSocket kNoUdpSocket = -1;

// A UDP socket bound to 127.0.0.1:port, non-blocking, without address
// reuse (a port another program holds fails); kNoUdpSocket on any failure.
PlatUdpSocket PlatUdpOpenLoopback(std::uint16_t port);
// Take the next waiting datagram into buf. Returns its length, a value
// greater than size when it did not fit (the rest is lost), or -1 when
// nothing is waiting or the socket failed.
int PlatUdpReceive(PlatUdpSocket socket, std::uint8_t* buf, int size);
// Nothing for kNoUdpSocket.
void PlatUdpClose(PlatUdpSocket socket);
