#include "connection_dropper.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <csignal>

namespace refsvc {
namespace {

constexpr int kHighestDescriptor = 4096;

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

bool connects(int fd, int localPort, int remotePort) {
    sockaddr_storage local{}, peer{};
    socklen_t localSize = sizeof local, peerSize = sizeof peer;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0) return false;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) return false;
    return portOf(local) == localPort && portOf(peer) == remotePort;
}

}  // namespace

bool shutDownConnection(int localPort, int remotePort) {
    // The library's own write to the closed socket must not end the service.
    std::signal(SIGPIPE, SIG_IGN);
    for (int fd = 0; fd < kHighestDescriptor; ++fd) {
        if (connects(fd, localPort, remotePort)) {
            shutdown(fd, SHUT_RDWR);
            return true;
        }
    }
    return false;
}

}  // namespace refsvc
