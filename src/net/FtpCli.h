#pragma once
// TCustomFtpCli: the FTP client component. It owns a hidden message target
// and two sockets, one for the control connection and one for data, all made
// on the thread that constructs it; every step of a request is started by a
// socket event or a message of that thread, so the component only moves
// while that thread pumps messages. An ...Async operation returns at once;
// its end is OnRequestDone, posted through the hidden target. TFtpClient
// (FtpClient.h) adds a blocking call per operation.
//
// A request is one command (ExecAsync: command, success codes, a result
// picked out of the reply) or a high-level request: a set of steps (open,
// log in, change folder, type, data port, transfer, quit) that one sequencer
// runs in a fixed order, each step started when the previous one ended
// with 0. A failing step ends the whole request with its code.
//
// Refusals (an empty argument, not connected, not ready) go through
// HandleError: OnError when set, else FtpException.
#include "net/FtpSrvT.h"
#include "net/WSocket.h"
#include "platform/Messages.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>

class FtpException : public std::runtime_error {
public:
    explicit FtpException(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

enum TFtpState {
    ftpNotConnected,
    ftpReady,
    ftpInternalReady,
    ftpDnsLookup,
    ftpConnected,
    ftpAbort,
    ftpInternalAbort,
    ftpWaitingBanner,
    ftpWaitingResponse,
    ftpPasvReady
};

enum TFtpRequest {
    ftpNone, ftpOpenAsync, ftpUserAsync, ftpPassAsync, ftpCwdAsync, ftpConnectAsync, ftpReceiveAsync, ftpDirAsync,
    ftpLsAsync, ftpPortAsync, ftpGetAsync, ftpDirectoryAsync, ftpListAsync, ftpSystemAsync, ftpSystAsync,
    ftpQuitAsync, ftpAbortXferAsync, ftpSizeAsync, ftpPutAsync, ftpAppendAsync, ftpFileSizeAsync, ftpRqAbort,
    ftpMkdAsync, ftpRmdAsync, ftpRenameAsync, ftpDeleAsync, ftpRenAsync, ftpRenToAsync, ftpRenFromAsync,
    ftpDeleteAsync, ftpMkdirAsync, ftpRmdirAsync, ftpPwdAsync, ftpQuoteAsync, ftpCDupAsync, ftpDoQuoteAsync,
    ftpTransmitAsync, ftpTypeSetAsync, ftpRestAsync, ftpRestGetAsync, ftpRestartGetAsync, ftpRestPutAsync,
    ftpRestartPutAsync, ftpMlsdAsync, ftpFeatAsync, ftpMlstAsync, ftpMdtmAsync, ftpMdtmyyAsync, ftpAuthSslAsync,
    ftpMfmtAsync, ftpMd5Async, ftpAccountAsync
};

// The steps of high-level requests.
enum TFtpFct {
    ftpFctNone, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctSize, ftpFctMkd, ftpFctRmd, ftpFctRenFrom,
    ftpFctRenTo, ftpFctGet, ftpFctDir, ftpFctQuit, ftpFctSyst, ftpFctDele, ftpFctPwd, ftpFctQuote, ftpFctPut,
    ftpFctTypeSet, ftpFctRest, ftpFctCDup, ftpFctLs, ftpFctAppend, ftpFctPort, ftpFctAbortXfer, ftpFctMlsd,
    ftpFctFeat, ftpFctMlst, ftpFctMdtm, ftpFctMdtmyy, ftpFctAuthSsl, ftpFctMfmt, ftpFctMd5, ftpFctAcct
};
using TFtpFctSet = std::uint64_t;
constexpr TFtpFctSet FctBit(TFtpFct f) { return TFtpFctSet{1} << f; }

// Bits of Options.
enum TFtpOption : unsigned {
    ftpAcceptLF = 1,        // a reply line may end at LF alone
    ftpNoAutoResumeAt = 2,  // REST does not take the local file's size
    ftpAuthSsl = 4,         // high-level requests run the AUTH SSL step
    ftpWaitUsingSleep = 8   // blocking waits poll instead of waiting for messages
};
using TFtpOptions = unsigned;

enum TFtpShareMode { ftpShareCompat, ftpShareExclusive, ftpShareDenyWrite, ftpShareDenyRead, ftpShareDenyNone };
enum TFtpDisplayFileMode { ftpLineByLine, ftpBinary };
enum TFtpConnectionType { ftpDirect, ftpProxy, ftpSocks4, ftpSocks4A, ftpSocks5 };

// Bits of Features, set by the lines of a FEAT reply.
enum TFtpFeature : unsigned {
    ftpFeatMDTM = 1, ftpFeatMDTMYY = 2, ftpFeatSize = 4, ftpFeatRest = 8, ftpFeatMLST = 16, ftpFeatMFMT = 32,
    ftpFeatMD5 = 64
};

class TCustomFtpCli;
using TFtpDisplay = std::function<void(TCustomFtpCli* Sender, QString& Msg)>;
using TFtpCommand = std::function<void(TCustomFtpCli* Sender, QString& Cmd)>;
using TFtpNotify = std::function<void(TCustomFtpCli* Sender)>;
using TFtpProgress = std::function<void(TCustomFtpCli* Sender, int Count, bool& Abort)>;
using TFtpSessionEvent = std::function<void(TCustomFtpCli* Sender, int ErrCode)>;
using TFtpRequestDone = std::function<void(TCustomFtpCli* Sender, TFtpRequest RqType, int ErrCode)>;
using TFtpReadyToTransmit = std::function<void(TCustomFtpCli* Sender, bool& bCancel)>;
using TFtpBgException = std::function<void(TCustomFtpCli* Sender, const std::exception& E, bool& CanClose)>;

// Messages of the component's own hidden target.
constexpr unsigned WM_FTP_REQUEST_DONE = WM_USER + 1;
constexpr unsigned WM_FTP_SENDDATA = WM_USER + 2;

class TCustomFtpCli {
public:
    TCustomFtpCli();
    virtual ~TCustomFtpCli();
    TCustomFtpCli(const TCustomFtpCli&) = delete;
    TCustomFtpCli& operator=(const TCustomFtpCli&) = delete;

    // --- properties ---------------------------------------------------------
    QString HostName;
    QString Port = QStringLiteral("ftp");  // a service name or a number
    QString LocalAddr = QStringLiteral("0.0.0.0");
    QString UserName, PassWord, Account;
    QString HostDirName;   // argument of CWD
    QString HostFileName;  // remote file or folder of a transfer or a file command
    QString ProxyServer;   // host of an FTP proxy (ConnectionType ftpProxy)
    QString ProxyPort = QStringLiteral("ftp");
    bool DisplayFileFlag = false;  // received data also goes to OnDisplayFile
    TFtpOptions Options = ftpAcceptLF;
    int ResumeAt = 0;              // byte offset of a resumed transfer
    TDateTime RemoteFileTime = 0;  // result of MDTM, argument of MDTM (set) and MFMT

    unsigned DataPortRangeStart() const { return FDataPortRangeStart; }
    unsigned DataPortRangeEnd() const { return FDataPortRangeEnd; }
    void SetDataPortRangeStart(unsigned Value);
    void SetDataPortRangeEnd(unsigned Value);
    // The local file of a transfer; also the command text of QuoteAsync and
    // the new name of RNTO.
    QString LocalFileName() const { return FLocalFileName; }
    void SetLocalFileName(const QString& Value);
    // A stream of the caller's (not freed by the component), read or written
    // from its current position; null returns to LocalFileName.
    QIODevice* LocalStream() const { return FLocalStream; }
    void SetLocalStream(QIODevice* Value);
    void DestroyLocalStream();
    bool GetBinary() const { return FTypeChar == 'I'; }
    void SetBinary(bool Value) { FTypeChar = Value ? 'I' : 'A'; }
    // Kept and read back; Linux has no sharing modes on open files.
    TFtpShareMode GetShareMode() const;
    void SetShareMode(TFtpShareMode Value);
    TFtpDisplayFileMode GetDisplayFileMode() const { return FDisplayFileMode; }
    void SetDisplayFileMode(TFtpDisplayFileMode Value) { FDisplayFileMode = Value > ftpBinary ? ftpLineByLine : Value; }
    TFtpConnectionType ConnectionType() const { return FConnectionType; }
    void SetConnectionType(TFtpConnectionType Value);
    bool Passive() const { return FPassive; }
    void SetPassive(bool Value);
    QString SocksServer() const { return FSocksServer; }
    void SetSocksServer(const QString& Value) { FSocksServer = Value; }
    QString SocksPort() const { return FSocksPort; }
    void SetSocksPort(const QString& Value) { FSocksPort = Value; }
    QString SocksUserCode() const { return FSocksUserCode; }
    void SetSocksUserCode(const QString& Value) { FSocksUserCode = Value; }
    QString SocksPassword() const { return FSocksPassword; }
    void SetSocksPassword(const QString& Value) { FSocksPassword = Value; }

    // --- results and state (read-only) --------------------------------------
    QString ErrorMessage() const { return FErrorMessage; }  // first failure of the current request
    // True when the last operation started was refused before sending (the
    // blocking calls report such a refusal as false).
    bool Refused() const { return FRefused; }
    int StatusCode() const { return FStatusCode; }
    QString LastResponse() const { return FLastResponse; }
    int RequestResult() const { return FRequestResult; }
    TFtpRequest RequestType() const { return FRequestType; }
    TFtpState State() const { return FState; }
    QString CurrentDir() const { return FDirResult; }
    long long SizeResult() const { return FSizeResult; }
    QString Md5Result() const { return FMd5Result; }
    QString PasvReply() const { return FPasvReply; }
    QString AllResponses() const { return FAllResponses; }
    unsigned Features() const { return FFeatures; }
    QString MlstFacts() const { return FMlstFacts; }
    QString RemoteFacts() const { return FRemoteFacts; }
    long long ByteCount() const { return FByteCount; }
    // True while the control socket is not closed.
    bool GetConnected() const;
    TWSocket* ControlSocket() const { return FControlSocket.get(); }
    TWSocket* DataSocket() const { return FDataSocket.get(); }

    // --- events ---------------------------------------------------------------
    TFtpDisplay OnDisplay, OnDisplayFile, OnError;
    TFtpCommand OnCommand;
    TFtpNotify OnResponse, OnStateChange;
    TFtpProgress OnProgress;
    TFtpSessionEvent OnSessionConnected, OnSessionClosed;
    TFtpRequestDone OnRequestDone;
    TFtpReadyToTransmit OnReadyToTransmit;
    TFtpBgException OnBgException;

    // --- operations (each returns at once; the end is OnRequestDone) ---------
    virtual void OpenAsync();
    virtual void UserAsync();
    virtual void PassAsync();
    virtual void AcctAsync();
    virtual void ConnectAsync();
    virtual void QuitAsync();
    virtual void AbortAsync();
    virtual void GetAsync();
    virtual void ExecGetAsync();
    virtual void ReceiveAsync();
    virtual void PutAsync();
    virtual void ExecPutAsync();
    virtual void TransmitAsync();
    virtual void AppendAsync();
    virtual void ExecAppendAsync();
    virtual void AppendFileAsync();
    virtual void ExecDirAsync();
    virtual void DirAsync();
    virtual void ExecLsAsync();
    virtual void LsAsync();
    virtual void TypeSetAsync();
    virtual void TypeBinaryAsync();
    virtual void TypeAsciiAsync();
    virtual void PwdAsync();
    virtual void CwdAsync();
    virtual void CDupAsync();
    virtual void DirectoryAsync();
    virtual void ListAsync();
    virtual void SystAsync();
    virtual void SystemAsync();
    virtual void SizeAsync();
    virtual void FileSizeAsync();
    virtual void MkdAsync();
    virtual void MkdirAsync();
    virtual void RmdAsync();
    virtual void RmdirAsync();
    virtual void DeleAsync();
    virtual void DeleteAsync();
    virtual void RenFromAsync();
    virtual void RenToAsync();
    virtual void RenAsync();
    virtual void RenameAsync();
    virtual void QuoteAsync();
    virtual void DoQuoteAsync();
    virtual void AbortXferAsync();
    virtual void RestAsync();
    virtual void RestGetAsync();
    virtual void RestartGetAsync();
    virtual void RestPutAsync();
    virtual void RestartPutAsync();
    virtual void ExecMlsdAsync();
    virtual void MlsdAsync();
    virtual void MlstAsync();
    virtual void FeatAsync();
    virtual void MdtmAsync();
    virtual void MdtmyyAsync();
    virtual void AuthSslAsync();
    virtual void AuthenticateSslAsync();
    virtual void MfmtAsync();
    virtual void Md5Async();
    virtual void PortAsync();

protected:
    using TFtpNextProc = void (TCustomFtpCli::*)();

    virtual void SendCommand(const QString& Cmd);
    virtual void TriggerDisplay(const QString& Msg);
    virtual void TriggerReadyToTransmit(bool& bCancel);
    virtual void TriggerDisplayFile(const QString& Msg);
    virtual void TriggerError(const QString& Msg);
    // False once the transfer was aborted (by OnProgress).
    virtual bool Progress();
    virtual void TransfertStats();
    virtual void WndProc(TMessage& Msg);
    virtual void HandleBackGroundException(const std::exception& E);

    bool CheckReady();
    void HandleError(const QString& Msg);
    void ExecAsync(TFtpRequest RqType, const QString& Cmd, std::initializer_list<int> OkResponses, TFtpNextProc DoneAsync);
    void NextExecAsync();
    void TriggerRequestDone(int Error);
    void StateChange(TFtpState NewState);
    void DisplayLastResponse();
    void SetErrorMessage();
    void ExtractMoreResults();
    void HighLevelAsync(TFtpRequest RqType, TFtpFctSet Fcts);
    void DoHighLevelAsync();
    void StartStep(TFtpNextProc Proc);
    void DoneQuitAsync();
    // Ends the running request with Code; Text becomes the failure message.
    // Used where a step cannot go on (an exception in a handler, a reply
    // that cannot be used): the data connection is reset.
    void FailRequest(int Code, const QString& Text);

    // Control connection.
    void ControlSocketDnsLookupDone(int ErrCode);
    void ControlSocketSessionConnected(int ErrCode);
    void ControlSocketDataAvailable(int ErrCode);
    void ControlSocketSessionClosed(int ErrCode);
    void HandleReplyLine();

    // Data connection and transfers.
    void DoPutAppendAsync();
    void DoGetAsync(TFtpRequest RqType);
    // The data connection to the port of the last 227 reply; false when the
    // request has been ended (FailCode: 426 for uploads, 550 for downloads).
    bool ConnectPassiveData(bool Upload, int FailCode);
    void DataSocketPutSessionConnected(int ErrCode);
    void DataSocketPutSessionAvailable(int ErrCode);
    void DataSocketPutDataSent(int ErrCode);
    void DataSocketPutSessionClosed(int ErrCode);
    void DataSocketGetSessionConnected(int ErrCode);
    void DataSocketGetSessionAvailable(int ErrCode);
    void DataSocketGetDataAvailable(int ErrCode);
    void DataSocketGetSessionClosed(int ErrCode);
    void Next1PutAsync();
    void Next2PutAsync();
    void Next3PutAsync();
    void RefuseTransfer(int code);
    void Next1GetAsync();
    void Next2GetAsync();
    void Next3GetAsync();
    void WMFtpSendData();
    // Both the transfer reply and the data connection's close are in.
    void FinishTransfer();
    // Marks the transfer as failed (the first failure wins), resets the data
    // connection and lets the server's transfer reply end the request.
    void FailTransfer(int Code, const QString& Text);
    void AbortDataSocket();
    void ApplySocks(TWSocket& Socket);
    // Runs a handler bound to a socket event; an exception ends the running
    // request instead of reaching the socket.
    void Guarded(const std::function<void()>& Fn);

    std::unique_ptr<TWSocket> FControlSocket;
    std::unique_ptr<TWSocket> FDataSocket;
    TMessageTarget* FHiddenWindow = nullptr;  // owned

    // Properties with setters.
    unsigned FDataPortRangeStart = 0, FDataPortRangeEnd = 0;
    unsigned FLastDataPort = 0;  // next port of the range to try
    QString FLocalFileName;
    QIODevice* FLocalStream = nullptr;  // owned unless FStreamOwnedByCaller
    bool FStreamOwnedByCaller = false;
    char FTypeChar = 'I';
    unsigned FShareFlags = 0x10;
    TFtpDisplayFileMode FDisplayFileMode = ftpLineByLine;
    TFtpConnectionType FConnectionType = ftpDirect;
    bool FPassive = false;
    QString FSocksServer, FSocksPort, FSocksUserCode, FSocksPassword;
    QString FSocksLevel = QStringLiteral("5");
    TSocksAuthentication FSocksAuthentication = socksNoAuthentication;

    // Request state.
    TFtpState FState = ftpReady;
    TFtpRequest FRequestType = ftpNone;
    int FStatusCode = 0;
    int FRequestResult = 0;
    QString FLastResponse, FErrorMessage, FAllResponses;
    QString FDirResult, FMd5Result, FPasvReply, FMlstFacts, FRemoteFacts;
    long long FSizeResult = 0;
    unsigned FFeatures = 0;
    bool FConnected = false;  // from the control connection's success until it closes or an abort
    bool FRequestDoneFlag = false;
    std::array<int, 16> FOkResponses{};
    TFtpNextProc FNext = nullptr;       // receives the next final reply line
    TFtpNextProc FDoneAsync = nullptr;  // runs after a reply was judged, instead of ending the request
    TFtpNextProc FWhenConnected = nullptr;  // the sequencer while a high-level request runs

    // High-level request.
    TFtpFctSet FFctSet = 0;
    TFtpFct FFctPrv = ftpFctNone;
    int FHighLevelResult = 0;
    bool FHighLevelFlag = false;
    bool FStartingSequence = false;  // the sequencer's first run, inside HighLevelAsync
    bool FRefused = false;           // HandleError ran since the flag was cleared
    QString FRefusalText;
    QString FSavedResponse;
    int FSavedStatusCode = -1;

    // Control connection's receive buffer: at most 4095 bytes and a 0.
    std::array<char, 4096> FReceiveBuffer{};
    int FReceiveLen = 0;

    // Transfer state.
    long long FByteCount = 0;
    qint64 FStartTime = 0, FStopTime = 0;  // ms ticks; 0 start: not sending yet (active upload)
    bool FAppendFlag = false;
    QString FDataVerb;  // RETR, LIST, NLST or MLSD
    bool FTransferReplyOk = false;
    bool FDataClosed = false;
    bool FStorAnswered = false;
    bool FPutSessionOpened = false;
    bool FEofFound = false;
    int FCloseCode = 0;
    int FTransferFailCode = 0;  // a local failure of the running transfer
    unsigned FTransferId = 0;   // tells a delayed close which transfer it belongs to
    std::array<char, 1460> FSendBuffer{};  // one TCP segment on Ethernet

    // Is the component still alive after a user's handler ran?
    std::weak_ptr<char> AliveGuard() const { return FLifeToken; }

private:
    std::shared_ptr<char> FLifeToken = std::make_shared<char>(0);
};

// "ESocketException: text" and the like, for failure messages.
QString ExceptionText(const std::exception& E);
// Milliseconds of a steady clock, for transfer times and time-outs.
qint64 FtpTickMs();
