#pragma once
// Blocking name, port and protocol resolution for the socket component. Each
// raises ESocketException with its own text when the input is bad or the
// lookup fails; none belongs to a component, so none uses OnError.
#include "platform/SocketLookup.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// Three dots and four decimal groups of at most 255, blanks around allowed.
bool WSocketIsDottedIP(const QString& text);
// An IPv4 address in network order: a dotted address is converted, anything
// else is looked up as a host name.
std::uint32_t WSocketResolveHost(const QString& host);
// A port number (leading digits, 0..65535) or a service name for the
// protocol; host order.
std::uint16_t WSocketResolvePort(const QString& port, const QString& proto);
// A protocol number: leading digits, "tcp", "udp", "raw" or a system name.
int WSocketResolveProto(const QString& proto);

// Host records; false when there is none. The name is validated as above.
bool WSocketGetHostByName(const QString& name, wsock::THostRecord& record);
bool WSocketGetHostByAddr(const QString& address, wsock::THostRecord& record);
// The name of a dotted address, or an empty text.
QString WSocketResolveIp(const QString& address);
QString LocalHostName();
QStringList LocalIPList();

// "a.b.c.d" of an address in network order.
QString WSocketAddrToStr(std::uint32_t address);
