// Asynchronous name lookups: the platform resolves on a worker and posts the
// reply to the hidden target, so OnDnsLookupDone runs on the owning thread.
// A component has at most one lookup; a new one cancels the old silently.
#include "net/CustomWSocket.h"

#include "net/WSocketResolve.h"

#include <arpa/inet.h>

using namespace wsock;

namespace {
constexpr int kMaxHostNameChars = 256;
}

void TCustomWSocket::DnsLookup(const QString& HostName)
{
    if (HostName.isEmpty()) {
        RaiseException(QStringLiteral("DNS lookup: invalid host name."));
        TriggerDNSLookupDone(WSAEINVAL);
        return;
    }
    if (LookupHandle) {
        WSACancelAsyncRequest(LookupHandle);
        LookupHandle = 0;
    }
    FDnsResult.clear();
    FDnsResultList.clear();
    if (WSocketIsDottedIP(HostName)) {
        const in_addr_t address = ::inet_addr(HostName.trimmed().toLatin1().constData());
        if (address != INADDR_NONE) {
            FDnsResult = WSocketAddrToStr(address);
            FDnsResultList << FDnsResult;
            TriggerDNSLookupDone(0);
            return;
        }
    }
    if (!HiddenWindow) {
        RaiseException(QStringLiteral("DnsLookup: Window not assigned"));
        return;
    }
    LookupHandle = WSAAsyncGetHostByName(HiddenWindow, WM_ASYNCGETHOSTBYNAME, HostName.trimmed());
}

void TCustomWSocket::WMAsyncGetHostByName(TMessage& Msg)
{
    const auto handle = static_cast<TLookupHandle>(Msg.WParam);
    if (!LookupHandle || handle != LookupHandle)
        return;  // a lookup cancelled or replaced since
    LookupHandle = 0;
    const int code = SelectError(Msg.LParam);
    THostRecord record;
    TakeLookupResult(handle, record);
    if (code == 0) {
        for (auto address : record.Addresses)
            FDnsResultList << WSocketAddrToStr(address);
        if (!FDnsResultList.isEmpty())
            FDnsResult = FDnsResultList.front();
    }
    TriggerDNSLookupDone(code);
}

void TCustomWSocket::ReverseDnsLookup(const QString& HostAddr)
{
    if (HostAddr.isEmpty() || HostAddr.size() > kMaxHostNameChars) {
        RaiseException(QStringLiteral("ReverseDnsLookup: Invalid host name."));
        TriggerDNSLookupDone(WSAEINVAL);
        return;
    }
    if (LookupHandle) {
        WSACancelAsyncRequest(LookupHandle);
        LookupHandle = 0;
    }
    FDnsResult.clear();
    FDnsResultList.clear();
    const in_addr_t address = ::inet_addr(HostAddr.trimmed().toLatin1().constData());
    if (!HiddenWindow) {
        RaiseException(QStringLiteral("ReverseDnsLookup: Window not assigned"));
        return;
    }
    LookupHandle = WSAAsyncGetHostByAddr(HiddenWindow, WM_ASYNCGETHOSTBYADDR, address);
}

void TCustomWSocket::WMAsyncGetHostByAddr(TMessage& Msg)
{
    const auto handle = static_cast<TLookupHandle>(Msg.WParam);
    if (!LookupHandle || handle != LookupHandle)
        return;
    LookupHandle = 0;
    const int code = SelectError(Msg.LParam);
    THostRecord record;
    TakeLookupResult(handle, record);
    if (code == 0) {
        FDnsResult = record.Name;
        FDnsResultList << record.Name;
    }
    TriggerDNSLookupDone(code);
}

void TCustomWSocket::CancelDnsLookup()
{
    if (!LookupHandle)
        return;
    const int r = WSACancelAsyncRequest(LookupHandle);
    LookupHandle = 0;
    if (r != 0) {
        SocketError(QStringLiteral("WSACancelAsyncRequest"));
        return;
    }
    if (!Destroying())
        TriggerDNSLookupDone(WSAEINTR);
}
