// udpsend - sends head tracker datagrams from the Linux side: six
// little-endian doubles (x, y, z in cm, yaw, pitch, roll in degrees) to
// 127.0.0.1:PORT, COUNT times, INTERVAL milliseconds apart. The wine tests
// use it to reach the module inside a Windows process through the real
// network stack. With --free-port it prints a loopback port nobody holds
// now (the one the system gives for port 0), for the test to hand out.
//
//   udpsend PORT X Y Z YAW PITCH ROLL [COUNT [INTERVAL-MS]]
//   udpsend --free-port
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

static int Usage() {
    std::fprintf(stderr, "usage: udpsend PORT X Y Z YAW PITCH ROLL [COUNT [INTERVAL-MS]] | --free-port\n");
    return 2;
}

static sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

static int FreePort() {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = Loopback(0);
    socklen_t length = sizeof a;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
        std::perror("udpsend");
        return 1;
    }
    close(fd);
    std::printf("%d\n", ntohs(a.sin_port));
    return 0;
}

static bool Number(const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == 0;
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--free-port") == 0) return FreePort();
    if (argc < 8 || argc > 10) return Usage();
    double port = 0, count = 1, interval = 0, pose[6];
    bool ok = Number(argv[1], &port) && port >= 1 && port <= 65535;
    for (int i = 0; i < 6; i++) ok = ok && Number(argv[2 + i], &pose[i]);
    if (argc > 8) ok = ok && Number(argv[8], &count) && count >= 1;
    if (argc > 9) ok = ok && Number(argv[9], &interval) && interval >= 0;
    if (!ok) return Usage();

    std::uint8_t bytes[48];
    for (int i = 0; i < 6; i++) {
        std::uint64_t bits;
        std::memcpy(&bits, &pose[i], 8);
        for (int b = 0; b < 8; b++) bytes[8 * i + b] = std::uint8_t(bits >> (8 * b));
    }
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to = Loopback(int(port));
    const timespec pause = {time_t(interval / 1000), long(std::fmod(interval, 1000.0) * 1e6)};
    for (long n = 0; n < long(count); n++) {
        if (fd < 0 || sendto(fd, bytes, sizeof bytes, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
            std::perror("udpsend");
            return 1;
        }
        if (n + 1 < long(count)) nanosleep(&pause, nullptr);
    }
    close(fd);
    return 0;
}
