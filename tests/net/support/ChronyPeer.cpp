#include "ChronyPeer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nettest {

namespace {

const char* const kChronyConfig = R"(port %1
bindaddress 127.0.0.1
allow 127.0.0.1
cmdport 0
local stratum 10
pidfile %DIR%/chronyd.pid
)";

// True once a client request on port is answered.
bool Answers(int port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    char request[48] = {0x23};
    ::sendto(fd, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    pollfd p{fd, POLLIN, 0};
    const bool answered = ::poll(&p, 1, 200) == 1;
    ::close(fd);
    return answered;
}

}  // namespace

bool StartChrony(Daemon& daemon, int port)
{
    return daemon.Start("chronyd", {"-x", "-d", "-u", "root", "-f", "%DIR%/chrony.conf"}, "chrony.conf",
                        QString::fromLatin1(kChronyConfig).arg(port), [port] { return Answers(port); });
}

}  // namespace nettest
