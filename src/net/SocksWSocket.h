#pragma once
// TCustomSocksWSocket: reaches a TCP peer through a SOCKS 4, 4A or 5 proxy.
// With SocksServer set, Connect connects to the proxy and the negotiation
// runs inside the component's own notifications; the user's
// OnSessionConnected fires only when the proxy has granted the connection,
// and from then on the data is the peer's. Like Addr and Port, the proxy
// settings are reset by every close.
#include "net/CustomWSocket.h"

#include <array>

enum TSocksState { socksData, socksNegociateMethods, socksAuthenticate, socksConnect };
enum TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };
enum TSocksAuthState { socksAuthStart, socksAuthSuccess, socksAuthFailure, socksAuthNotRequired };

using TSocksErrorEvent = std::function<void(TCustomWSocket* Sender, int Error, const QString& Msg)>;
using TSocksAuthStateEvent = std::function<void(TCustomWSocket* Sender, TSocksAuthState AuthState)>;

// The protocol's own limits: one length byte for a host name, a user name
// or a password. SOCKS 4 has no length bytes; the same limits apply.
constexpr int kSocksMaxFieldBytes = 255;

class TCustomSocksWSocket : public TCustomWSocket {
public:
    void Connect() override;
    void Listen() override;
    int GetRcvdCount() override;

    QString SocksServer() const { return FSocksServer; }
    virtual void SetSocksServer(const QString& Value);
    QString SocksPort() const { return FSocksPort; }
    virtual void SetSocksPort(const QString& Value);
    QString SocksLevel() const { return FSocksLevel; }
    void SetSocksLevel(const QString& Value);
    // What the SOCKS 5 proxy reported as its end of the connection.
    QString ProxyBindAddr() const { return FProxyBindAddr; }
    QString ProxyBindPort() const { return FProxyBindPort; }

    QString SocksUsercode;
    QString SocksPassword;
    TSocksAuthentication SocksAuthentication = socksNoAuthentication;
    TSocketEvent OnSocksConnected;
    TSocksErrorEvent OnSocksError;
    TSocksAuthStateEvent OnSocksAuthState;

protected:
    void AssignDefaultValue() override;
    bool TriggerDataAvailable(int ErrCode) override;
    void TriggerSessionConnectedSpecial(int ErrCode) override;
    void TriggerSessionClosed(int ErrCode) override;
    int DoRecv(void* Buffer, int BufferSize, int Flags) override;
    virtual void TriggerSocksConnected(int ErrCode);
    virtual void TriggerSocksError(int Error, const QString& Msg);
    void TriggerSocksAuthState(TSocksAuthState AuthState);
    void SocksDoAuthenticate();
    void SocksDoConnect();
    void DataAvailableError(int ErrCode, const QString& Msg);
    bool SocksNegotiating() const { return SocksStep != socksData; }

private:
    bool ReadReply(int capacity);
    bool HandleMethodReply();
    bool HandleAuthReply();
    bool HandleSocks4Reply();
    bool HandleSocks5Reply();
    bool Granted();
    // A clear refusal for what the protocol cannot carry; empty when fine.
    QString CheckRequestLimits() const;

    QString FSocksServer;
    QString FSocksPort;
    QString FSocksLevel = QStringLiteral("5");
    QString FProxyBindAddr;
    QString FProxyBindPort;
    TSocksState SocksStep = socksData;
    bool SocksServerSet = false;
    bool SocksPortSet = false;
    unsigned char SocksMethod = 0;
    // The longest reply: a SOCKS 5 grant naming a 255-byte host
    // (4 + 1 + 255 + 2 bytes).
    std::array<unsigned char, 262> SocksReply{};
    int SocksReplyCount = 0;
    int SocksLeftoverCount = 0;
    int SocksLeftoverPos = 0;
};
