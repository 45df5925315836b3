#pragma once
// TTlsSession: the client side of one TLS connection, kept apart from the
// socket: what came from the peer is put in, what must go to it is taken
// out, so the socket component stays non-blocking and event-driven.
//
//   session.Start()                       ClientHello ready in TakeCiphertext()
//   PutCiphertext(bytes from the socket)  then Handshake() until tlsDone
//   Write(plaintext) / Read(plaintext)    ciphertext again through the two calls above
//
// The peer's certificate must chain to a certificate the system trusts
// (OpenSSL's default store; SSL_CERT_FILE and SSL_CERT_DIR name others)
// and name the host (or the address) that was asked for.
#include <QByteArray>
#include <QString>

struct ssl_ctx_st;
struct ssl_st;
struct bio_st;

class TTlsSession {
public:
    enum TStep { tlsWantMore, tlsDone, tlsFailed };
    // Read's results besides a count of bytes.
    static constexpr int kNothingYet = 0;
    static constexpr int kClosedByPeer = -1;
    static constexpr int kFailed = -2;

    explicit TTlsSession(const QString& Host);
    ~TTlsSession();
    TTlsSession(const TTlsSession&) = delete;
    TTlsSession& operator=(const TTlsSession&) = delete;

    // Sets the session up and makes the first handshake message; false
    // with ErrorText() when the library refuses.
    bool Start();
    TStep Handshake();
    bool Established() const { return established_; }

    void PutCiphertext(const char* Data, int Len);
    QByteArray TakeCiphertext();
    // Ciphertext that came and is not yet read as plaintext.
    int BufferedCiphertext() const;

    // Up to Size bytes of plaintext, or one of the results above.
    int Read(char* Buffer, int Size);
    // Plaintext decrypted and not yet read.
    bool PlaintextPending() const;
    // False with ErrorText() when it cannot be encrypted.
    bool Write(const char* Data, int Len);

    QString ErrorText() const { return error_; }

private:
    // What ("%1" for the host) and the library's reason for a failed call,
    // or the certificate check's own reason when that was it.
    void TakeError(const char* What);

    QString host_;
    ssl_ctx_st* ctx_ = nullptr;
    ssl_st* ssl_ = nullptr;
    bio_st* in_ = nullptr;   // owned by ssl_
    bio_st* out_ = nullptr;  // owned by ssl_
    bool established_ = false;
    QString error_;
};
