#include "net/WSocketResolve.h"

#include "net/WSocketErrors.h"
#include "platform/SocketApi.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <unistd.h>

namespace {

constexpr int kMaxHostNameChars = 256;
constexpr int kMaxServiceChars = 32;

// The value of the leading decimal digits; -1 when it passes limit.
long long LeadingNumber(const QString& text, long long limit)
{
    long long value = 0;
    for (QChar c : text) {
        if (!c.isDigit() || c.unicode() > '9')
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > limit)
            return -1;
    }
    return value;
}

bool StartsWithDigit(const QString& text) { return !text.isEmpty() && text[0] >= u'0' && text[0] <= u'9'; }

QString WithoutBlanks(const QString& text) { return QString(text).remove(u' '); }

}  // namespace

bool WSocketIsDottedIP(const QString& text)
{
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n && text[i] == u' ')
        ++i;
    if (i < n && text[i] == u'.')
        return false;
    int dots = 0;
    int value = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            value = std::min(value * 10 + (c.unicode() - '0'), 1000);  // capped: only "above 255" matters
        } else if (c == u'.') {
            ++dots;
            if (dots > 3 || value > 255 || i + 1 >= n || !(text[i + 1] >= u'0' && text[i + 1] <= u'9'))
                return false;
            value = 0;
        } else {
            while (i < n && text[i] == u' ')
                ++i;
            if (i < n)
                return false;
            break;
        }
    }
    return dots == 3 && value <= 255;
}

std::uint32_t WSocketResolveHost(const QString& host)
{
    if (host.isEmpty() || host.size() > kMaxHostNameChars)
        throw ESocketException("WSocketResolveHost: '" + host + "' Invalid Hostname.");
    const QString name = host.trimmed();
    if (WSocketIsDottedIP(host)) {
        const in_addr_t address = ::inet_addr(name.toLatin1().constData());
        if (address == INADDR_NONE && name != QLatin1String("255.255.255.255"))
            throw ESocketException("WSocketResolveHost: '" + host + "' Invalid IP address.");
        return address;
    }
    wsock::THostRecord record;
    const int code = wsock::GetHostByName(name, record);
    if (code != 0 || record.Addresses.empty()) {
        wsock::WSASetLastError(code ? code : wsock::WSANO_DATA);
        throw ESocketException(QStringLiteral("WSocketResolveHost: Cannot convert host address '%1', Error #%2")
                                   .arg(host)
                                   .arg(wsock::WSAGetLastError()));
    }
    return record.Addresses.front();
}

std::uint16_t WSocketResolvePort(const QString& port, const QString& proto)
{
    if (port.isEmpty() || port.size() >= kMaxServiceChars)
        throw ESocketException(QStringLiteral("WSocketResolvePort: Invalid Port."));
    if (proto.isEmpty() || proto.size() >= kMaxServiceChars)
        throw ESocketException(QStringLiteral("WSocketResolvePort: Invalid Proto."));
    if (StartsWithDigit(port)) {
        // A number past 65535 would wrap to another, valid-looking port.
        const long long value = LeadingNumber(port, 65535);
        if (value < 0)
            throw ESocketException(QStringLiteral("WSocketResolvePort: Invalid Port."));
        return static_cast<std::uint16_t>(value);
    }
    const QByteArray service = WithoutBlanks(port).toLatin1();
    const QByteArray protocol = WithoutBlanks(proto).toLatin1();
    servent entry{};
    servent* found = nullptr;
    char buffer[1024];
    ::getservbyname_r(service.constData(), protocol.isEmpty() ? nullptr : protocol.constData(), &entry, buffer,
                      sizeof buffer, &found);
    if (!found) {
        wsock::WSASetLastError(wsock::WSANO_DATA);
        throw ESocketException(
            QStringLiteral("WSocketResolvePort: Cannot convert port '%1', Error #%2").arg(port).arg(wsock::WSANO_DATA));
    }
    return ntohs(static_cast<std::uint16_t>(found->s_port));
}

int WSocketResolveProto(const QString& proto)
{
    if (proto.isEmpty() || proto.size() >= kMaxServiceChars)
        throw ESocketException(QStringLiteral("WSocketResolveProto: Invalid Protocol."));
    if (StartsWithDigit(proto)) {
        const long long value = LeadingNumber(proto, 255);
        if (value < 0)
            throw ESocketException(QStringLiteral("WSocketResolveProto: Invalid Protocol."));
        return static_cast<int>(value);
    }
    const QString name = WithoutBlanks(proto).toLower();
    if (name == QLatin1String("tcp"))
        return IPPROTO_TCP;
    if (name == QLatin1String("udp"))
        return IPPROTO_UDP;
    if (name == QLatin1String("raw"))
        return IPPROTO_RAW;
    protoent entry{};
    protoent* found = nullptr;
    char buffer[1024];
    ::getprotobyname_r(name.toLatin1().constData(), &entry, buffer, sizeof buffer, &found);
    if (!found) {
        wsock::WSASetLastError(wsock::WSANO_DATA);
        throw ESocketException(QStringLiteral("WSocketResolveProto: Cannot convert protocol '%1', Error #%2")
                                   .arg(name)
                                   .arg(wsock::WSANO_DATA));
    }
    return found->p_proto;
}

bool WSocketGetHostByName(const QString& name, wsock::THostRecord& record)
{
    if (name.isEmpty() || name.size() > kMaxHostNameChars)
        throw ESocketException(QStringLiteral("WSocketGetHostByName: Invalid Hostname."));
    const int code = wsock::GetHostByName(name, record);
    wsock::WSASetLastError(code);
    return code == 0;
}

bool WSocketGetHostByAddr(const QString& address, wsock::THostRecord& record)
{
    if (address.isEmpty() || address.size() > kMaxHostNameChars)
        throw ESocketException(QStringLiteral("WSocketGetHostByAddr: Invalid address."));
    const int code = wsock::GetHostByAddr(::inet_addr(address.trimmed().toLatin1().constData()), record);
    wsock::WSASetLastError(code);
    return code == 0;
}

QString WSocketResolveIp(const QString& address)
{
    wsock::THostRecord record;
    return WSocketGetHostByAddr(address, record) ? record.Name : QString();
}

QString LocalHostName()
{
    char name[64] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        throw ESocketException(QStringLiteral("Winsock.GetHostName failed"));
    return QString::fromLocal8Bit(name);
}

QStringList LocalIPList()
{
    QStringList list;
    wsock::THostRecord record;
    if (WSocketGetHostByName(LocalHostName(), record))
        for (auto address : record.Addresses)
            list << WSocketAddrToStr(address);
    return list;
}

QString WSocketAddrToStr(std::uint32_t address)
{
    const auto* b = reinterpret_cast<const unsigned char*>(&address);
    return QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
}
