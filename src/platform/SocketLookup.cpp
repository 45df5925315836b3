#include "platform/SocketLookup.h"

#include "platform/Messages.h"
#include "platform/SocketApi.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace wsock {
namespace {

std::mutex resolverMutex;
THostResolver resolver;  // guarded by resolverMutex; empty: the system's

// Lookups under way or answered and not yet taken; a cancelled one is gone,
// so its worker finds nothing to post to.
struct Lookup {
    TMessageTarget* target = nullptr;  // owned by the component that started it
    unsigned msg = 0;
    THostRecord record;
};
std::mutex lookupMutex;
std::map<TLookupHandle, Lookup>& Lookups()
{
    static auto* lookups = new std::map<TLookupHandle, Lookup>;  // outlives detached workers
    return *lookups;
}
std::atomic<TLookupHandle> nextLookup{1};

int SystemGetHostByName(const QString& name, THostRecord& record)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    const int r = ::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &list);
    if (r != 0)
        return ErrorFromGai(r);
    record.Name = list->ai_canonname ? QString::fromUtf8(list->ai_canonname) : name;
    for (addrinfo* a = list; a; a = a->ai_next) {
        const auto address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
        bool seen = false;
        for (auto known : record.Addresses)
            seen = seen || known == address;
        if (!seen)
            record.Addresses.push_back(address);
    }
    ::freeaddrinfo(list);
    return record.Addresses.empty() ? WSANO_DATA : 0;
}

TLookupHandle Start(TMessageTarget* target, unsigned msg, std::function<int(THostRecord&)> work)
{
    const TLookupHandle handle = nextLookup++;
    {
        std::lock_guard lock(lookupMutex);
        Lookups()[handle] = Lookup{target, msg, {}};
    }
    std::thread([handle, work = std::move(work)] {
        THostRecord record;
        const int code = work(record);
        std::lock_guard lock(lookupMutex);
        auto it = Lookups().find(handle);
        if (it == Lookups().end())
            return;  // cancelled
        it->second.record = std::move(record);
        PostMessage(it->second.target, it->second.msg, static_cast<WPARAM>(handle), MakeSelectLParam(0, code));
    }).detach();
    return handle;
}

}  // namespace

int GetHostByName(const QString& name, THostRecord& record)
{
    record = {};
    THostResolver custom;
    {
        std::lock_guard lock(resolverMutex);
        custom = resolver;
    }
    return custom ? custom(name, record) : SystemGetHostByName(name, record);
}

int GetHostByAddr(std::uint32_t address, THostRecord& record)
{
    record = {};
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = address;
    char host[NI_MAXHOST] = {};
    const int r = ::getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, host, sizeof host, nullptr, 0, NI_NAMEREQD);
    if (r != 0)
        return ErrorFromGai(r);
    record.Name = QString::fromUtf8(host);
    record.Addresses.push_back(address);
    return 0;
}

void SetHostResolver(THostResolver custom)
{
    std::lock_guard lock(resolverMutex);
    resolver = std::move(custom);
}

TLookupHandle WSAAsyncGetHostByName(TMessageTarget* target, unsigned msg, const QString& name)
{
    return Start(target, msg, [name](THostRecord& record) { return GetHostByName(name, record); });
}

TLookupHandle WSAAsyncGetHostByAddr(TMessageTarget* target, unsigned msg, std::uint32_t address)
{
    return Start(target, msg, [address](THostRecord& record) { return GetHostByAddr(address, record); });
}

int WSACancelAsyncRequest(TLookupHandle handle)
{
    std::lock_guard lock(lookupMutex);
    if (Lookups().erase(handle) == 0) {
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    return 0;
}

bool TakeLookupResult(TLookupHandle handle, THostRecord& record)
{
    std::lock_guard lock(lookupMutex);
    auto it = Lookups().find(handle);
    if (it == Lookups().end())
        return false;
    record = std::move(it->second.record);
    Lookups().erase(it);
    return true;
}

}  // namespace wsock
