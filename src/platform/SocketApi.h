#pragma once
// The Windows Sockets stand-in: IPv4 BSD sockets, always non-blocking, whose
// failures come back as Winsock error codes (WSAGetLastError), and whose
// readiness is posted as asynchronous-select messages to a TMessageTarget.
//
// A socket handle is not the descriptor: Linux hands a closed descriptor's
// number to the next socket at once, so every handle pairs the descriptor
// with a generation number that is never reused. A message posted for a
// socket closed since then carries a handle that no longer matches, and a
// call on such a handle fails with WSAENOTSOCK instead of touching the new
// socket.
//
// Asynchronous select behaves like the Windows one, not like a level-
// triggered poll: FD_READ is posted once and again only after a recv on the
// socket; FD_ACCEPT again only after an accept; FD_WRITE once when the
// socket becomes usable (connected, or a datagram socket at registration)
// and again only after a send that would have blocked; FD_CONNECT once when
// a connection attempt ends (its error code in the message); FD_CLOSE once
// when the peer closes (0) or resets the connection (WSAECONNRESET).
// Messages go through the target's posted-message queue, so they keep their
// order with messages the component posts to itself.
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>

class TMessageTarget;

namespace wsock {

using TSocket = std::intptr_t;
constexpr TSocket INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

// Winsock error codes (the numbers are part of the messages users see).
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEDESTADDRREQ = 10039;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTOTYPE = 10041;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEPFNOSUPPORT = 10046;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENETRESET = 10052;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETOOMANYREFS = 10059;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAELOOP = 10062;
constexpr int WSAENAMETOOLONG = 10063;
constexpr int WSAEHOSTDOWN = 10064;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAENOTEMPTY = 10066;
constexpr int WSAEPROCLIM = 10067;
constexpr int WSAEUSERS = 10068;
constexpr int WSAEDQUOT = 10069;
constexpr int WSAESTALE = 10070;
constexpr int WSAEREMOTE = 10071;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

// Network event bits of asynchronous select.
constexpr int FD_READ = 0x01;
constexpr int FD_WRITE = 0x02;
constexpr int FD_OOB = 0x04;
constexpr int FD_ACCEPT = 0x08;
constexpr int FD_CONNECT = 0x10;
constexpr int FD_CLOSE = 0x20;

// The message's lParam: event bits in the low word, error code in the high.
constexpr std::intptr_t MakeSelectLParam(int event, int error)
{
    return static_cast<std::intptr_t>((static_cast<unsigned>(error) & 0xFFFFu) << 16 | (static_cast<unsigned>(event) & 0xFFFFu));
}
constexpr int SelectEvent(std::intptr_t lParam) { return static_cast<int>(lParam & 0xFFFF); }
constexpr int SelectError(std::intptr_t lParam) { return static_cast<int>((lParam >> 16) & 0xFFFF); }

// The calling thread's last error, as Winsock keeps it.
int WSAGetLastError();
void WSASetLastError(int error);

// errno and getaddrinfo codes as Winsock codes.
int ErrorFromErrno(int error);
int ErrorFromGai(int error);

// The calls. Each returns what its Winsock namesake returns (SOCKET_ERROR or
// INVALID_SOCKET on failure) and sets the last error.
TSocket socket(int family, int type, int protocol);
int closesocket(TSocket s);
int shutdown(TSocket s, int how);
int bind(TSocket s, const sockaddr_in& address);
// A connection under way gives SOCKET_ERROR with WSAEWOULDBLOCK; its end
// comes as FD_CONNECT.
int connect(TSocket s, const sockaddr_in& address);
int listen(TSocket s, int backlog);
TSocket accept(TSocket s, sockaddr_in* from);
// Never raises SIGPIPE: a send to a closed connection fails with WSAECONNRESET.
int send(TSocket s, const void* data, int length, int flags);
int sendto(TSocket s, const void* data, int length, int flags, const sockaddr_in& to);
int recv(TSocket s, void* buffer, int length, int flags);
int recvfrom(TSocket s, void* buffer, int length, int flags, sockaddr_in* from);
int setsockopt(TSocket s, int level, int name, const void* value, socklen_t length);
int getsockopt(TSocket s, int level, int name, void* value, socklen_t* length);
int getsockname(TSocket s, sockaddr_in* address);
int getpeername(TSocket s, sockaddr_in* address);
// FIONREAD: the bytes waiting to be read (a datagram socket: the next datagram).
int BytesWaiting(TSocket s, unsigned long* count);

// Registers which events of s are posted to target as message msg (wParam
// the handle, lParam MakeSelectLParam). Events 0 or no target: no more
// notifications. Runs on the target's thread, which must run an event loop
// (or pump messages) for notifications to arrive.
int WSAAsyncSelect(TSocket s, TMessageTarget* target, unsigned msg, int events);

// The descriptor behind a live handle, -1 otherwise (for tests and the rare
// option the wrappers do not cover).
int DescriptorOf(TSocket s);

}  // namespace wsock
