// SOCKS exchanges, as they go on the wire (bytes in decimal):
//   SOCKS 5:  -> 5 1 method          <- 5 method (0 none, 2 user/password)
//             [-> 1 ulen user plen password   <- 1 0]
//             -> 5 1 0 3 hlen host port(2)   <- 5 0 0 atype addr port(2)
//   SOCKS 4:  -> 4 1 port(2) addr(4) userid 0        <- 0 90 port(2) addr(4)
//   SOCKS 4A: -> 4 1 port(2) 0 0 0 1 userid 0 host 0 <- 0 90 ...
#include "net/SocksWSocket.h"

#include "net/WSocketResolve.h"

#include <arpa/inet.h>
#include <cstring>

using namespace wsock;

namespace {

bool IsLevel4(const QString& level) { return level.startsWith(u'4'); }

void AppendPort(QByteArray& request, int port)
{
    request.append(static_cast<char>((port >> 8) & 0xFF));
    request.append(static_cast<char>(port & 0xFF));
}

}  // namespace

void TCustomSocksWSocket::SetSocksServer(const QString& Value)
{
    if (FState != wsClosed) {
        RaiseException(QStringLiteral("Can't change socks server if not closed"));
        return;
    }
    FSocksServer = Value.trimmed();
    SocksServerSet = !FSocksServer.isEmpty();
}

void TCustomSocksWSocket::SetSocksPort(const QString& Value)
{
    if (FState != wsClosed) {
        RaiseException(QStringLiteral("Can't change socks port if not closed"));
        return;
    }
    FSocksPort = Value.trimmed();
    SocksPortSet = !FSocksPort.isEmpty();
}

void TCustomSocksWSocket::SetSocksLevel(const QString& Value)
{
    if (FState != wsClosed) {
        RaiseException(QStringLiteral("Can't change socks level if not closed"));
        return;
    }
    const QString level = Value.toUpper();
    if (level != QLatin1String("4") && level != QLatin1String("4A") && level != QLatin1String("5")) {
        RaiseException(QStringLiteral("Invalid socks level. Must be 4, 4A or 5."));
        return;
    }
    FSocksLevel = level;
}

void TCustomSocksWSocket::AssignDefaultValue()
{
    TCustomWSocket::AssignDefaultValue();
    FSocksServer.clear();
    FSocksPort.clear();
    FSocksLevel = QStringLiteral("5");
    SocksServerSet = SocksPortSet = false;
    SocksStep = socksData;
    SocksLeftoverCount = 0;
}

QString TCustomSocksWSocket::CheckRequestLimits() const
{
    const int hostBytes = static_cast<int>(FAddr.toUtf8().size());
    const int userBytes = static_cast<int>(SocksUsercode.toUtf8().size());
    // SOCKS 4 resolves the host here and sends its address, not its name.
    if (FSocksLevel != QLatin1String("4") && hostBytes > kSocksMaxFieldBytes)
        return QStringLiteral("Host name too long for the socks server (%1 bytes, at most %2)").arg(hostBytes).arg(kSocksMaxFieldBytes);
    if (IsLevel4(FSocksLevel) && userBytes > kSocksMaxFieldBytes)
        return QStringLiteral("Socks user code too long (%1 bytes, at most %2)").arg(userBytes).arg(kSocksMaxFieldBytes);
    if (!IsLevel4(FSocksLevel) && SocksAuthentication == socksAuthenticateUsercode) {
        const int passwordBytes = static_cast<int>(SocksPassword.toUtf8().size());
        if (userBytes > kSocksMaxFieldBytes || passwordBytes > kSocksMaxFieldBytes)
            return QStringLiteral("Socks user code or password too long (at most %1 bytes each)").arg(kSocksMaxFieldBytes);
    }
    return {};
}

void TCustomSocksWSocket::Connect()
{
    if (!SocksServerSet) {
        TCustomWSocket::Connect();
        return;
    }
    if (FProto.toLower() != QLatin1String("tcp")) {
        RaiseException(QStringLiteral("tcp is the only protocol supported thru socks server"));
        return;
    }
    if (const QString refusal = CheckRequestLimits(); !refusal.isEmpty()) {
        RaiseException(refusal);
        return;
    }
    try {
        if (!PortReady) {
            RemoteSockAddr.sin_port = htons(WSocketResolvePort(FSocksPort, FProto));
            PortReady = true;
        }
        if (!AddrReady) {
            RemoteSockAddr.sin_addr.s_addr = WSocketResolveHost(FSocksServer);
            AddrReady = true;
        }
        PortNumber = WSocketResolvePort(FPort, FProto);
    } catch (const std::exception& e) {
        RaiseException(QStringLiteral("connect: ") + QString::fromStdString(e.what()));
        return;
    }
    SocksStep = socksNegociateMethods;
    SocksReplyCount = 0;
    // Address and port are ready: the base connects to the proxy.
    TCustomWSocket::Connect();
}

void TCustomSocksWSocket::Listen()
{
    if (SocksServerSet) {
        RaiseException(QStringLiteral("Listening is not supported thru socks server"));
        return;
    }
    TCustomWSocket::Listen();
}

int TCustomSocksWSocket::GetRcvdCount()
{
    return SocksLeftoverCount > 0 ? SocksLeftoverCount : TCustomWSocket::GetRcvdCount();
}

int TCustomSocksWSocket::DoRecv(void* Buffer, int BufferSize, int Flags)
{
    if (SocksLeftoverCount <= 0)
        return TCustomWSocket::DoRecv(Buffer, BufferSize, Flags);
    const int n = std::min(std::max(BufferSize, 0), SocksLeftoverCount);
    std::memcpy(Buffer, SocksReply.data() + SocksLeftoverPos, static_cast<size_t>(n));
    if (!(Flags & MSG_PEEK)) {
        SocksLeftoverPos += n;
        SocksLeftoverCount -= n;
    }
    return n;
}

void TCustomSocksWSocket::TriggerSessionConnectedSpecial(int ErrCode)
{
    if (SocksStep != socksNegociateMethods) {
        TCustomWSocket::TriggerSessionConnectedSpecial(ErrCode);
        return;
    }
    const TAliveGuard guard = AliveGuard();
    TriggerSocksConnected(ErrCode);
    if (Gone(guard))
        return;
    if (ErrCode != 0) {
        TCustomWSocket::TriggerSessionConnectedSpecial(ErrCode);
        return;
    }
    if (IsLevel4(FSocksLevel)) {
        SocksDoConnect();
        return;
    }
    SocksMethod = SocksAuthentication == socksAuthenticateUsercode ? 2 : 0;
    const char request[3] = {5, 1, static_cast<char>(SocksMethod)};
    try {
        Send(request, sizeof request);
    } catch (...) {
    }
}

void TCustomSocksWSocket::SocksDoConnect()
{
    SocksStep = socksConnect;
    const QByteArray host = FAddr.toUtf8();
    QByteArray request;
    if (IsLevel4(FSocksLevel)) {
        const bool level4A = FSocksLevel == QLatin1String("4A");
        request.append(char(4)).append(char(1));
        AppendPort(request, PortNumber);
        std::uint32_t address = htonl(1);  // 0.0.0.1: the proxy resolves the name
        if (!level4A) {
            try {
                address = WSocketResolveHost(FAddr);
            } catch (const ESocketException& e) {
                const TAliveGuard guard = AliveGuard();
                TriggerSocksError(20017, QStringLiteral("ESocketException ") + e.Message());
                if (!Gone(guard))
                    InternalClose(true, 20017);
                return;
            }
        }
        request.append(reinterpret_cast<const char*>(&address), 4);
        request.append(SocksUsercode.toUtf8()).append(char(0));
        if (level4A)
            request.append(host).append(char(0));
    } else {
        request.append(char(5)).append(char(1)).append(char(0)).append(char(3));
        request.append(static_cast<char>(host.size())).append(host);
        AppendPort(request, PortNumber);
    }
    try {
        Send(request.constData(), static_cast<int>(request.size()));
    } catch (...) {
    }
}

void TCustomSocksWSocket::SocksDoAuthenticate()
{
    SocksStep = socksAuthenticate;
    const TAliveGuard guard = AliveGuard();
    TriggerSocksAuthState(socksAuthStart);
    if (Gone(guard))
        return;
    const QByteArray user = SocksUsercode.toUtf8();
    const QByteArray password = SocksPassword.toUtf8();
    QByteArray request;
    request.append(char(1)).append(static_cast<char>(user.size())).append(user);
    request.append(static_cast<char>(password.size())).append(password);
    try {
        Send(request.constData(), static_cast<int>(request.size()));
    } catch (...) {
    }
}

bool TCustomSocksWSocket::ReadReply(int capacity)
{
    const int room = std::min(capacity, static_cast<int>(SocksReply.size())) - SocksReplyCount;
    if (room <= 0)
        return true;
    const int n = Receive(SocksReply.data() + SocksReplyCount, room);
    if (n < 0)
        return false;
    SocksReplyCount += n;
    return true;
}

bool TCustomSocksWSocket::TriggerDataAvailable(int ErrCode)
{
    if (SocksStep == socksData)
        return TCustomWSocket::TriggerDataAvailable(ErrCode);
    if (ErrCode != 0) {
        DataAvailableError(ErrCode, QStringLiteral("data receive error"));
        return false;
    }
    switch (SocksStep) {
    case socksNegociateMethods: return HandleMethodReply();
    case socksAuthenticate: return HandleAuthReply();
    case socksConnect: return IsLevel4(FSocksLevel) ? HandleSocks4Reply() : HandleSocks5Reply();
    default: break;
    }
    DataAvailableError(20013, QStringLiteral("internal error"));
    return false;
}

bool TCustomSocksWSocket::HandleMethodReply()
{
    if (IsLevel4(FSocksLevel)) {
        DataAvailableError(20001, QStringLiteral("TWSocket logic error"));
        return true;
    }
    if (!ReadReply(static_cast<int>(SocksReply.size())))
        return true;
    if (SocksReplyCount < 2)
        return true;
    SocksReplyCount = 0;
    if (SocksReply[0] != 5) {
        DataAvailableError(20002, QStringLiteral("socks version error"));
    } else if (SocksReply[1] == 0) {
        const TAliveGuard guard = AliveGuard();
        if (SocksMethod != 0)
            TriggerSocksAuthState(socksAuthNotRequired);
        if (!Gone(guard))
            SocksDoConnect();
    } else if (SocksReply[1] == 2) {
        SocksDoAuthenticate();
    } else {
        DataAvailableError(20003, QStringLiteral("authentification method not acceptable"));
    }
    return true;
}

bool TCustomSocksWSocket::HandleAuthReply()
{
    if (!ReadReply(static_cast<int>(SocksReply.size())))
        return true;
    if (SocksReplyCount >= 1 && SocksReply[0] != 1) {
        DataAvailableError(20002, QStringLiteral("socks version error"));
    } else if (SocksReplyCount == 2) {
        if (SocksReply[1] != 0) {
            DataAvailableError(20015, QStringLiteral("socks authentication failed"));
        } else {
            SocksReplyCount = 0;
            const TAliveGuard guard = AliveGuard();
            TriggerSocksAuthState(socksAuthSuccess);
            if (!Gone(guard))
                SocksDoConnect();
        }
    } else if (SocksReplyCount > 2) {
        DataAvailableError(20001, QStringLiteral("too much data availaible"));
    }
    return true;
}

bool TCustomSocksWSocket::HandleSocks4Reply()
{
    if (!ReadReply(8) || SocksReplyCount < 8)
        return true;
    SocksReplyCount = 0;
    if (SocksReply[0] != 0) {
        DataAvailableError(20002, QStringLiteral("socks version error"));
        return true;
    }
    switch (SocksReply[1]) {
    case 90: return Granted();
    case 91: DataAvailableError(20016, QStringLiteral("request rejected or failed")); break;
    case 92: DataAvailableError(20008, QStringLiteral("connection refused")); break;
    case 93: DataAvailableError(20015, QStringLiteral("authentification failed")); break;
    default: DataAvailableError(20012, QStringLiteral("unassigned error #%1").arg(SocksReply[1])); break;
    }
    return true;
}

bool TCustomSocksWSocket::HandleSocks5Reply()
{
    static const char* const kStatusTexts[] = {
        nullptr,
        "general SOCKS server failure",
        "connection not allowed by ruleset",
        "network unreachable",
        "host unreachable",
        "connection refused",
        "time to live expired",
        "command not supported",
        "address type not supported",
    };
    if (!ReadReply(static_cast<int>(SocksReply.size())))
        return true;
    if (SocksReplyCount >= 1 && SocksReply[0] != 5) {
        DataAvailableError(20002, QStringLiteral("socks version error"));
        return true;
    }
    if (SocksReplyCount >= 2 && SocksReply[1] != 0) {
        const int status = SocksReply[1];
        if (status <= 8)
            DataAvailableError(20003 + status, QString::fromLatin1(kStatusTexts[status]));
        else
            DataAvailableError(20012, QStringLiteral("unassigned error #%1").arg(status));
        return true;
    }
    if (SocksReplyCount < 5)
        return true;
    const int type = SocksReply[3];
    const int length = type == 1 ? 10 : type == 3 ? 7 + SocksReply[4] : 5;
    if (SocksReplyCount < length)
        return true;
    if (type == 1) {
        std::uint32_t address = 0;
        std::memcpy(&address, SocksReply.data() + 4, 4);
        FProxyBindAddr = WSocketAddrToStr(address);
    } else if (type == 3) {
        FProxyBindAddr = QString::fromLatin1(reinterpret_cast<const char*>(SocksReply.data()) + 5, SocksReply[4]);
    } else {
        DataAvailableError(20011, QStringLiteral("address type not supported"));
        return true;
    }
    FProxyBindPort = QString::number(SocksReply[length - 2] << 8 | SocksReply[length - 1]);
    const int leftover = SocksReplyCount - length;
    SocksReplyCount = 0;
    SocksStep = socksData;
    const TAliveGuard guard = AliveGuard();
    TCustomWSocket::TriggerSessionConnectedSpecial(0);
    if (Gone(guard) || leftover <= 0)
        return true;
    // The peer's first bytes came in the same read as the grant.
    SocksLeftoverPos = length;
    SocksLeftoverCount = leftover;
    return TriggerDataAvailable(0);
}

bool TCustomSocksWSocket::Granted()
{
    SocksStep = socksData;
    TCustomWSocket::TriggerSessionConnectedSpecial(0);
    return true;
}

void TCustomSocksWSocket::DataAvailableError(int ErrCode, const QString& Msg)
{
    const TAliveGuard guard = AliveGuard();
    TriggerSocksError(ErrCode, Msg);
    if (Gone(guard))
        return;
    SocksStep = socksData;
    TCustomWSocket::TriggerSessionConnectedSpecial(ErrCode);
    if (!Gone(guard))
        InternalClose(true, ErrCode);
}

void TCustomSocksWSocket::TriggerSessionClosed(int ErrCode)
{
    if (SocksStep == socksAuthenticate) {
        const TAliveGuard guard = AliveGuard();
        TriggerSocksAuthState(socksAuthFailure);
        if (Gone(guard))
            return;
    }
    TCustomWSocket::TriggerSessionClosed(ErrCode);
}

void TCustomSocksWSocket::TriggerSocksConnected(int ErrCode)
{
    if (OnSocksConnected)
        OnSocksConnected(this, ErrCode);
}

void TCustomSocksWSocket::TriggerSocksError(int Error, const QString& Msg)
{
    if (OnSocksError)
        OnSocksError(this, Error, Msg);
}

void TCustomSocksWSocket::TriggerSocksAuthState(TSocksAuthState AuthState)
{
    if (OnSocksAuthState)
        OnSocksAuthState(this, AuthState);
}
