// net_sim.cpp - the network part of the seam for the substitute host: real
// POSIX UDP sockets on the loopback interface, so the module hears what
// tests and scenarios send through the real network stack.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/platform_net.h"

PlatUdpSocket PlatUdpOpenLoopback(std::uint16_t port) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return kNoUdpSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return kNoUdpSocket;
    }
    return fd;
}

int PlatUdpReceive(PlatUdpSocket socket, std::uint8_t* buf, int size) {
    if (socket == kNoUdpSocket || size < 0) return -1;
    // MSG_TRUNC: the datagram's real length, even when it was cut.
    ssize_t n = recv(int(socket), buf, std::size_t(size), MSG_TRUNC | MSG_DONTWAIT);
    if (n < 0) return -1;
    return n > 0x7FFFFFFF ? 0x7FFFFFFF : int(n);
}

void PlatUdpClose(PlatUdpSocket socket) {
    if (socket != kNoUdpSocket) close(int(socket));
}
