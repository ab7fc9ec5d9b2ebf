// udp_sender.h - the test side of head tracking: a free loopback port for
// the module to listen on, and datagrams sent to it through the real
// network stack, as the tracker program would send them.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

class UdpSender {
public:
    UdpSender() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~UdpSender() {
        if (fd_ >= 0) close(fd_);
    }
    UdpSender(const UdpSender&) = delete;
    UdpSender& operator=(const UdpSender&) = delete;

    static sockaddr_in Loopback(int port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(std::uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }
    // A port nobody holds now: the one the system gives for port 0.
    static int FreePort() {
        int fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a = Loopback(0);
        socklen_t length = sizeof a;
        int port = 0;
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0) {
            port = ntohs(a.sin_port);
        }
        close(fd);
        return port;
    }
    bool SendBytes(int port, const void* data, std::size_t size) const {
        sockaddr_in to = Loopback(port);
        return sendto(fd_, data, size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == ssize_t(size);
    }
    // Six doubles, little-endian, byte by byte.
    static void PoseBytes(const double pose[6], std::uint8_t out[48]) {
        for (int i = 0; i < 6; i++) {
            std::uint64_t bits;
            std::memcpy(&bits, &pose[i], 8);
            for (int b = 0; b < 8; b++) out[8 * i + b] = std::uint8_t(bits >> (8 * b));
        }
    }
    bool SendPose(int port, const double pose[6]) const {
        std::uint8_t bytes[48];
        PoseBytes(pose, bytes);
        return SendBytes(port, bytes, sizeof bytes);
    }

private:
    int fd_;
};

// Holds a loopback port as another program would.
class PortHolder {
public:
    explicit PortHolder(int port) : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in a = UdpSender::Loopback(port);
        held_ = bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~PortHolder() { close(fd_); }
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;
    bool held() const { return held_; }

private:
    int fd_;
    bool held_;
};
