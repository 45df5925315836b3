#pragma once
// Host name lookups of the Windows Sockets stand-in: blocking ones for the
// resolution helpers and asynchronous ones that run getaddrinfo on a worker
// and post the reply to a message target (wParam the lookup handle, the
// Winsock error code in the high word of lParam). Failures are Winsock codes:
// 11001 host not found, 11002 try again, 11003 non-recoverable, 11004 no data.
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class TMessageTarget;

namespace wsock {

// What a lookup found: the official name and the IPv4 addresses in network
// byte order, in the order the resolver gave them.
struct THostRecord {
    QString Name;
    std::vector<std::uint32_t> Addresses;
};

// Resolves a name: 0 and the record, or a Winsock error code.
int GetHostByName(const QString& name, THostRecord& record);
// Resolves an address (network order) to its name: 0 and the record, or a code.
int GetHostByAddr(std::uint32_t address, THostRecord& record);

// Replaces the system resolver for names (tests give the failure codes that
// a machine without DNS cannot produce); an empty function restores it.
using THostResolver = std::function<int(const QString& name, THostRecord& record)>;
void SetHostResolver(THostResolver resolver);

using TLookupHandle = std::intptr_t;

// Starts a lookup on a worker; the reply is posted to target as msg. Returns
// a handle (never 0).
TLookupHandle WSAAsyncGetHostByName(TMessageTarget* target, unsigned msg, const QString& name);
TLookupHandle WSAAsyncGetHostByAddr(TMessageTarget* target, unsigned msg, std::uint32_t address);
// Forgets a lookup: its reply is never posted (nor kept). SOCKET_ERROR with
// WSAEINVAL for a handle that is not known (any more).
int WSACancelAsyncRequest(TLookupHandle handle);
// The record of a lookup whose reply was posted; false when there is none.
// Taking it forgets the lookup.
bool TakeLookupResult(TLookupHandle handle, THostRecord& record);

}  // namespace wsock
