// The FTP client's vocabulary: one-command operations (a command, the reply
// codes that mean success, a result picked out of the reply) and the
// high-level requests that one sequencer runs step by step.
//
// Log-in as ConnectAsync runs it:
//   <- "220 (banner)"  -> "USER anonymous"  <- "331 Please specify the password."
//   -> "PASS x"  <- "230 Login successful."
// A server that logs the user in at once answers USER with 230; neither PASS
// nor ACCT follows then. ACCT is sent only when PASS is answered 332.
#include "net/FtpCli.h"

namespace {

// "yyyymmddhhnnss" of a date-time, as MDTM and MFMT take it.
QString CompactStamp(TDateTime t) { return TimeDateStr(t).left(14); }

}  // namespace

// --- one-command operations ---------------------------------------------------------

void TCustomFtpCli::UserAsync()
{
    if (UserName.isEmpty()) {
        HandleError(QStringLiteral("UserName empty"));
        return;
    }
    QString command = QStringLiteral("USER ") + UserName;
    if (FConnectionType == ftpProxy) {
        command += QLatin1Char('@') + HostName;
        if (Port.compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0 && Port.compare(QLatin1String("21")) != 0)
            command += QLatin1Char(':') + Port;
    }
    FFctPrv = ftpFctUser;
    ExecAsync(ftpUserAsync, command, {331, 230}, nullptr);
}

void TCustomFtpCli::PassAsync()
{
    if (PassWord.isEmpty()) {
        HandleError(QStringLiteral("Password empty"));
        return;
    }
    FFctPrv = ftpFctPass;
    ExecAsync(ftpPassAsync, QStringLiteral("PASS ") + PassWord, {230, 332}, nullptr);
}

void TCustomFtpCli::AcctAsync()
{
    if (Account.isEmpty()) {
        HandleError(QStringLiteral("Account empty!"));
        return;
    }
    FFctPrv = ftpFctAcct;
    ExecAsync(ftpAccountAsync, QStringLiteral("ACCT ") + Account, {230, 202}, nullptr);
}

void TCustomFtpCli::CwdAsync()
{
    if (HostDirName.isEmpty()) {
        HandleError(QStringLiteral("HostDirName empty"));
        return;
    }
    FFctPrv = ftpFctCwd;
    ExecAsync(ftpCwdAsync, QStringLiteral("CWD ") + HostDirName, {200, 250, 257}, nullptr);
}

void TCustomFtpCli::PwdAsync()
{
    FFctPrv = ftpFctPwd;
    ExecAsync(ftpPwdAsync, QStringLiteral("PWD"), {250, 257}, nullptr);
}

void TCustomFtpCli::CDupAsync()
{
    FFctPrv = ftpFctCDup;
    ExecAsync(ftpCDupAsync, QStringLiteral("CDUP"), {250, 257}, nullptr);
}

void TCustomFtpCli::MkdAsync()
{
    FFctPrv = ftpFctMkd;
    ExecAsync(ftpMkdAsync, QStringLiteral("MKD ") + HostFileName, {250, 257}, nullptr);
}

void TCustomFtpCli::RmdAsync()
{
    FFctPrv = ftpFctRmd;
    ExecAsync(ftpRmdAsync, QStringLiteral("RMD ") + HostFileName, {250, 257}, nullptr);
}

void TCustomFtpCli::DeleAsync()
{
    FFctPrv = ftpFctDele;
    ExecAsync(ftpDeleAsync, QStringLiteral("DELE ") + HostFileName, {250, 257}, nullptr);
}

void TCustomFtpCli::RenFromAsync()
{
    FFctPrv = ftpFctRenFrom;
    ExecAsync(ftpRenFromAsync, QStringLiteral("RNFR ") + HostFileName, {350}, nullptr);
}

void TCustomFtpCli::RenToAsync()
{
    FFctPrv = ftpFctRenTo;
    ExecAsync(ftpRenToAsync, QStringLiteral("RNTO ") + FLocalFileName, {200, 250, 257}, nullptr);
}

void TCustomFtpCli::SizeAsync()
{
    FSizeResult = 0;
    FFctPrv = ftpFctSize;
    ExecAsync(ftpSizeAsync, QStringLiteral("SIZE ") + HostFileName, {213}, nullptr);
}

void TCustomFtpCli::TypeSetAsync()
{
    FFctPrv = ftpFctTypeSet;
    ExecAsync(ftpTypeSetAsync, QStringLiteral("TYPE ") + QLatin1Char(FTypeChar), {200}, nullptr);
}

void TCustomFtpCli::TypeBinaryAsync()
{
    SetBinary(true);
    TypeSetAsync();
}

void TCustomFtpCli::TypeAsciiAsync()
{
    SetBinary(false);
    TypeSetAsync();
}

void TCustomFtpCli::SystAsync()
{
    FFctPrv = ftpFctSyst;
    ExecAsync(ftpSystAsync, QStringLiteral("SYST"), {215}, nullptr);
}

void TCustomFtpCli::AbortXferAsync()
{
    FFctPrv = ftpFctAbortXfer;
    ExecAsync(ftpAbortXferAsync, QStringLiteral("ABOR"), {}, nullptr);
}

void TCustomFtpCli::QuoteAsync()
{
    FFctPrv = ftpFctQuote;
    ExecAsync(ftpQuoteAsync, FLocalFileName, {}, nullptr);
}

void TCustomFtpCli::FeatAsync()
{
    FFctPrv = ftpFctFeat;
    ExecAsync(ftpFeatAsync, QStringLiteral("FEAT"), {211}, nullptr);
}

void TCustomFtpCli::MlstAsync()
{
    FRemoteFacts.clear();
    FFctPrv = ftpFctMlst;
    ExecAsync(ftpMlstAsync, QStringLiteral("MLST ") + HostFileName, {250}, nullptr);
}

void TCustomFtpCli::MdtmAsync()
{
    FFctPrv = ftpFctMdtm;
    ExecAsync(ftpMdtmAsync, QStringLiteral("MDTM ") + HostFileName, {213}, nullptr);
}

void TCustomFtpCli::MdtmyyAsync()
{
    if (RemoteFileTime < 10) {
        HandleError(QStringLiteral("Modification date empty"));
        return;
    }
    FFctPrv = ftpFctMdtmyy;
    ExecAsync(ftpMdtmyyAsync, QStringLiteral("MDTM ") + CompactStamp(RemoteFileTime) + QStringLiteral("+0 ") + HostFileName,
              {213, 253}, nullptr);
}

void TCustomFtpCli::MfmtAsync()
{
    if (RemoteFileTime < 10) {
        HandleError(QStringLiteral("Modification date empty"));
        return;
    }
    FFctPrv = ftpFctMfmt;
    ExecAsync(ftpMfmtAsync, QStringLiteral("MFMT ") + CompactStamp(RemoteFileTime) + QLatin1Char(' ') + HostFileName, {213},
              nullptr);
}

void TCustomFtpCli::Md5Async()
{
    FFctPrv = ftpFctMd5;
    ExecAsync(ftpMd5Async, QStringLiteral("MD5 ") + HostFileName, {251}, nullptr);
}

// This build has no TLS: the request is refused whatever OnError says.
void TCustomFtpCli::AuthSslAsync() { throw FtpException(QStringLiteral("AUTH SSL require an SSL-enabled version")); }

// --- transfers as single steps ----------------------------------------------------------

void TCustomFtpCli::ExecPutAsync()
{
    FRequestType = ftpPutAsync;
    FAppendFlag = false;
    DoPutAppendAsync();
}

void TCustomFtpCli::ExecAppendAsync()
{
    FRequestType = ftpAppendAsync;
    FAppendFlag = true;
    DoPutAppendAsync();
}

void TCustomFtpCli::ExecGetAsync() { DoGetAsync(ftpGetAsync); }
void TCustomFtpCli::ExecDirAsync() { DoGetAsync(ftpDirAsync); }
void TCustomFtpCli::ExecLsAsync() { DoGetAsync(ftpLsAsync); }
void TCustomFtpCli::ExecMlsdAsync() { DoGetAsync(ftpMlsdAsync); }

// --- high-level requests ------------------------------------------------------------------

namespace {
constexpr TFtpFctSet kLogin = FctBit(ftpFctOpen) | FctBit(ftpFctUser) | FctBit(ftpFctPass) | FctBit(ftpFctAuthSsl) |
                              FctBit(ftpFctAcct);
constexpr TFtpFctSet kLoginCwd = kLogin | FctBit(ftpFctCwd);
}  // namespace

void TCustomFtpCli::ConnectAsync() { HighLevelAsync(ftpConnectAsync, kLogin); }
void TCustomFtpCli::ReceiveAsync()
{
    HighLevelAsync(ftpReceiveAsync, kLoginCwd | FctBit(ftpFctTypeSet) | FctBit(ftpFctPort) | FctBit(ftpFctGet) | FctBit(ftpFctQuit));
}
void TCustomFtpCli::RestartGetAsync()
{
    HighLevelAsync(ftpRestartGetAsync, kLoginCwd | FctBit(ftpFctTypeSet) | FctBit(ftpFctPort) | FctBit(ftpFctRest) |
                                           FctBit(ftpFctGet) | FctBit(ftpFctQuit));
}
void TCustomFtpCli::GetAsync() { HighLevelAsync(ftpGetAsync, FctBit(ftpFctPort) | FctBit(ftpFctGet)); }
void TCustomFtpCli::RestGetAsync()
{
    HighLevelAsync(ftpRestGetAsync, FctBit(ftpFctPort) | FctBit(ftpFctRest) | FctBit(ftpFctGet));
}
void TCustomFtpCli::TransmitAsync()
{
    HighLevelAsync(ftpTransmitAsync, kLoginCwd | FctBit(ftpFctTypeSet) | FctBit(ftpFctPort) | FctBit(ftpFctPut) | FctBit(ftpFctQuit));
}
void TCustomFtpCli::RestartPutAsync()
{
    HighLevelAsync(ftpRestartPutAsync, kLoginCwd | FctBit(ftpFctTypeSet) | FctBit(ftpFctPort) | FctBit(ftpFctRest) |
                                           FctBit(ftpFctPut) | FctBit(ftpFctQuit));
}
void TCustomFtpCli::PutAsync() { HighLevelAsync(ftpPutAsync, FctBit(ftpFctPort) | FctBit(ftpFctPut)); }
void TCustomFtpCli::RestPutAsync()
{
    HighLevelAsync(ftpRestPutAsync, FctBit(ftpFctPort) | FctBit(ftpFctRest) | FctBit(ftpFctPut));
}
void TCustomFtpCli::AppendFileAsync()
{
    HighLevelAsync(ftpTransmitAsync, kLoginCwd | FctBit(ftpFctTypeSet) | FctBit(ftpFctPort) | FctBit(ftpFctAppend) |
                                         FctBit(ftpFctQuit));
}
void TCustomFtpCli::AppendAsync() { HighLevelAsync(ftpAppendAsync, FctBit(ftpFctPort) | FctBit(ftpFctAppend)); }
void TCustomFtpCli::DirectoryAsync()
{
    HighLevelAsync(ftpDirectoryAsync, kLoginCwd | FctBit(ftpFctPort) | FctBit(ftpFctDir) | FctBit(ftpFctQuit));
}
void TCustomFtpCli::DirAsync() { HighLevelAsync(ftpDirAsync, FctBit(ftpFctPort) | FctBit(ftpFctDir)); }
void TCustomFtpCli::ListAsync()
{
    HighLevelAsync(ftpListAsync, kLoginCwd | FctBit(ftpFctPort) | FctBit(ftpFctLs) | FctBit(ftpFctQuit));
}
void TCustomFtpCli::LsAsync() { HighLevelAsync(ftpLsAsync, FctBit(ftpFctPort) | FctBit(ftpFctLs)); }
void TCustomFtpCli::MlsdAsync() { HighLevelAsync(ftpMlsdAsync, FctBit(ftpFctPort) | FctBit(ftpFctMlsd)); }
void TCustomFtpCli::SystemAsync() { HighLevelAsync(ftpSystemAsync, kLogin | FctBit(ftpFctSyst) | FctBit(ftpFctQuit)); }
void TCustomFtpCli::MkdirAsync() { HighLevelAsync(ftpMkdirAsync, kLoginCwd | FctBit(ftpFctMkd) | FctBit(ftpFctQuit)); }
void TCustomFtpCli::RmdirAsync() { HighLevelAsync(ftpRmdirAsync, kLoginCwd | FctBit(ftpFctRmd) | FctBit(ftpFctQuit)); }
void TCustomFtpCli::DeleteAsync() { HighLevelAsync(ftpDeleteAsync, kLoginCwd | FctBit(ftpFctDele) | FctBit(ftpFctQuit)); }
void TCustomFtpCli::DoQuoteAsync() { HighLevelAsync(ftpDoQuoteAsync, kLoginCwd | FctBit(ftpFctQuote) | FctBit(ftpFctQuit)); }
void TCustomFtpCli::RenameAsync()
{
    HighLevelAsync(ftpRenameAsync, kLoginCwd | FctBit(ftpFctRenFrom) | FctBit(ftpFctRenTo) | FctBit(ftpFctQuit));
}
void TCustomFtpCli::RenAsync() { HighLevelAsync(ftpRenAsync, FctBit(ftpFctRenFrom) | FctBit(ftpFctRenTo)); }
void TCustomFtpCli::FileSizeAsync() { HighLevelAsync(ftpSizeAsync, kLoginCwd | FctBit(ftpFctSize) | FctBit(ftpFctQuit)); }
void TCustomFtpCli::AuthenticateSslAsync()
{
    HighLevelAsync(ftpAuthSslAsync, FctBit(ftpFctOpen) | FctBit(ftpFctAuthSsl) | FctBit(ftpFctQuit));
}

void TCustomFtpCli::HighLevelAsync(TFtpRequest RqType, TFtpFctSet Fcts)
{
    if (FConnected && (Fcts & FctBit(ftpFctOpen))) {
        HandleError(QStringLiteral("FTP component already connected"));
        return;
    }
    if (!CheckReady())
        return;
    FSavedResponse = FLastResponse;
    FSavedStatusCode = -1;
    FRequestType = RqType;
    FRequestResult = 0;
    FFctSet = Fcts;
    FFctPrv = ftpFctNone;
    FHighLevelResult = 0;
    FHighLevelFlag = true;
    FLastResponse.clear();
    FErrorMessage.clear();
    FWhenConnected = nullptr;
    FStartingSequence = true;
    try {
        DoHighLevelAsync();
    } catch (...) {
        // A step refused before anything was sent: no sequence is left behind.
        FStartingSequence = false;
        FWhenConnected = nullptr;
        FHighLevelFlag = false;
        FFctSet = 0;
        throw;
    }
    FStartingSequence = false;
}

// Starts one step of a sequence. A step refused through OnError sends
// nothing and changes no state: the request must not look as if it went on
// (or had succeeded). At the start it is dropped, as a refused single command
// is; later it fails.
void TCustomFtpCli::StartStep(TFtpNextProc Proc)
{
    FRefused = false;
    (this->*Proc)();
    const bool nothingUnderWay = FState == ftpReady || FState == ftpInternalReady || FState == ftpPasvReady;
    if (!FRefused || !nothingUnderWay)
        return;
    if (FStartingSequence) {
        FWhenConnected = nullptr;
        FHighLevelFlag = false;
        FFctSet = 0;
        return;
    }
    FailRequest(426, QStringLiteral("426 ") + FRefusalText);
}

// Runs at the start of a high-level request and each time a step ended with 0.
void TCustomFtpCli::DoHighLevelAsync()
{
    if (FState == ftpAbort) {
        FFctSet = 0;
        FHighLevelResult = 426;
        FErrorMessage = QStringLiteral("426 Operation aborted.");
    }
    FWhenConnected = &TCustomFtpCli::DoHighLevelAsync;

    const TFtpFct ended = FFctPrv;
    const int endedCode = FStatusCode;
    auto take = [this](TFtpFct f) {
        if (!(FFctSet & FctBit(f)))
            return false;
        FFctSet &= ~FctBit(f);
        FFctPrv = f;
        return true;
    };
    struct Step {
        TFtpFct fct;
        TFtpNextProc start;
    };

    if (take(ftpFctOpen))
        return StartStep(&TCustomFtpCli::OpenAsync);
    if ((Options & ftpAuthSsl) && take(ftpFctAuthSsl))
        return StartStep(&TCustomFtpCli::AuthSslAsync);
    if (take(ftpFctUser))
        return StartStep(&TCustomFtpCli::UserAsync);
    if (FFctSet & FctBit(ftpFctPass)) {
        FFctSet &= ~FctBit(ftpFctPass);
        // A user logged in at once (230) needs no password.
        if (!(ended == ftpFctUser && endedCode != 331)) {
            FFctPrv = ftpFctPass;
            return StartStep(&TCustomFtpCli::PassAsync);
        }
    }
    if (FFctSet & FctBit(ftpFctAcct)) {
        FFctSet &= ~FctBit(ftpFctAcct);
        // Only a server that asked for an account (332 to PASS) gets ACCT.
        if (ended == ftpFctPass && endedCode == 332) {
            FFctPrv = ftpFctAcct;
            return StartStep(&TCustomFtpCli::AcctAsync);
        }
    }
    if (FFctSet & FctBit(ftpFctCwd)) {
        FFctSet &= ~FctBit(ftpFctCwd);
        if (!HostDirName.isEmpty()) {
            FFctPrv = ftpFctCwd;
            return StartStep(&TCustomFtpCli::CwdAsync);
        }
    }
    static const Step middle[] = {
        {ftpFctCDup, &TCustomFtpCli::CDupAsync}, {ftpFctTypeSet, &TCustomFtpCli::TypeSetAsync},
        {ftpFctPort, &TCustomFtpCli::PortAsync}, {ftpFctRest, &TCustomFtpCli::RestAsync}};
    for (const Step& s : middle)
        if (take(s.fct))
            return StartStep(s.start);
    if (take(ftpFctGet)) {
        if (!(ended == ftpFctRest && endedCode == 350 && ResumeAt >= 0))
            ResumeAt = 0;
        return StartStep(&TCustomFtpCli::ExecGetAsync);
    }
    static const Step later[] = {
        {ftpFctPut, &TCustomFtpCli::ExecPutAsync},       {ftpFctAppend, &TCustomFtpCli::ExecAppendAsync},
        {ftpFctDir, &TCustomFtpCli::ExecDirAsync},       {ftpFctLs, &TCustomFtpCli::ExecLsAsync},
        {ftpFctSyst, &TCustomFtpCli::SystAsync},         {ftpFctMkd, &TCustomFtpCli::MkdAsync},
        {ftpFctRmd, &TCustomFtpCli::RmdAsync},           {ftpFctRenFrom, &TCustomFtpCli::RenFromAsync},
        {ftpFctRenTo, &TCustomFtpCli::RenToAsync},       {ftpFctSize, &TCustomFtpCli::SizeAsync},
        {ftpFctDele, &TCustomFtpCli::DeleAsync},         {ftpFctPwd, &TCustomFtpCli::PwdAsync},
        {ftpFctAbortXfer, &TCustomFtpCli::AbortXferAsync}, {ftpFctQuote, &TCustomFtpCli::QuoteAsync}};
    for (const Step& s : later)
        if (take(s.fct))
            return StartStep(s.start);
    if (take(ftpFctQuit)) {
        // The request reports the reply before QUIT.
        FSavedResponse = FLastResponse;
        FSavedStatusCode = FStatusCode;
        return StartStep(&TCustomFtpCli::QuitAsync);
    }
    if (take(ftpFctMlsd))
        return StartStep(&TCustomFtpCli::ExecMlsdAsync);

    FFctSet = 0;
    FWhenConnected = nullptr;
    FRequestDoneFlag = false;
    TriggerRequestDone(FHighLevelResult);
}
