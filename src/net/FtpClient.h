#pragma once
// TFtpClient: the FTP client with one blocking call per operation. Each
// call starts its ...Async operation and pumps the calling thread's messages
// until the component is ready again; it returns true when the request
// succeeded, false with the failure in ErrorMessage. A call gives up after
// Timeout seconds without progress ("426 Timeout", both connections
// aborted); only data moving over a transfer counts as progress, so a whole
// log-in or the wait for one reply must fit in one Timeout.
//
// Create, use and delete a client on one thread: the GUI thread, or a
// worker TThread, whose own queue the blocking calls pump (no event loop of
// its own is needed). A refusal (an empty argument, not connected) makes a
// call return false and leaves ErrorMessage as it was.
#include "net/FtpCli.h"

#include <functional>

class TFtpClient : public TCustomFtpCli {
public:
    TFtpClient();

    int Timeout = 15;  // seconds without progress; 0 or less: no limit
    // Qt gives every thread its own queue, so both pumps are the thread's
    // own; kept for callers that set it.
    bool MultiThreaded = false;
    // Replaces the pump of a multi-threaded client when set.
    std::function<void()> OnMessagePump;

    bool Open() { return Synchronize(&TCustomFtpCli::OpenAsync); }
    bool User() { return Synchronize(&TCustomFtpCli::UserAsync); }
    bool Pass() { return Synchronize(&TCustomFtpCli::PassAsync); }
    bool acct() { return Synchronize(&TCustomFtpCli::AcctAsync); }
    bool Connect() { return Synchronize(&TCustomFtpCli::ConnectAsync); }
    bool Quit() { return Synchronize(&TCustomFtpCli::QuitAsync); }
    bool Abort() { return Synchronize(&TCustomFtpCli::AbortAsync); }
    bool Cwd() { return Synchronize(&TCustomFtpCli::CwdAsync); }
    bool Pwd() { return Synchronize(&TCustomFtpCli::PwdAsync); }
    bool CDup() { return Synchronize(&TCustomFtpCli::CDupAsync); }
    bool TypeSet() { return Synchronize(&TCustomFtpCli::TypeSetAsync); }
    bool TypeBinary() { return Synchronize(&TCustomFtpCli::TypeBinaryAsync); }
    bool TypeAscii() { return Synchronize(&TCustomFtpCli::TypeAsciiAsync); }
    bool Get() { return Synchronize(&TCustomFtpCli::GetAsync); }
    bool Put() { return Synchronize(&TCustomFtpCli::PutAsync); }
    bool RestPut() { return Synchronize(&TCustomFtpCli::RestPutAsync); }
    bool RestartPut() { return Synchronize(&TCustomFtpCli::RestartPutAsync); }
    bool Append() { return Synchronize(&TCustomFtpCli::AppendAsync); }
    bool Receive() { return Synchronize(&TCustomFtpCli::ReceiveAsync); }
    bool Transmit() { return Synchronize(&TCustomFtpCli::TransmitAsync); }
    bool AppendFile() { return Synchronize(&TCustomFtpCli::AppendFileAsync); }
    bool Dir() { return Synchronize(&TCustomFtpCli::DirAsync); }
    bool Directory() { return Synchronize(&TCustomFtpCli::DirectoryAsync); }
    bool Ls() { return Synchronize(&TCustomFtpCli::LsAsync); }
    bool List() { return Synchronize(&TCustomFtpCli::ListAsync); }
    bool Mkd() { return Synchronize(&TCustomFtpCli::MkdAsync); }
    bool Mkdir() { return Synchronize(&TCustomFtpCli::MkdirAsync); }
    bool Rmd() { return Synchronize(&TCustomFtpCli::RmdAsync); }
    bool Rmdir() { return Synchronize(&TCustomFtpCli::RmdirAsync); }
    bool Dele() { return Synchronize(&TCustomFtpCli::DeleAsync); }
    bool Delete() { return Synchronize(&TCustomFtpCli::DeleteAsync); }
    bool Ren() { return Synchronize(&TCustomFtpCli::RenAsync); }
    bool Rename() { return Synchronize(&TCustomFtpCli::RenameAsync); }
    bool Syst() { return Synchronize(&TCustomFtpCli::SystAsync); }
    bool System() { return Synchronize(&TCustomFtpCli::SystemAsync); }
    bool Size() { return Synchronize(&TCustomFtpCli::SizeAsync); }
    bool FileSize() { return Synchronize(&TCustomFtpCli::FileSizeAsync); }
    bool AbortXfer() { return Synchronize(&TCustomFtpCli::AbortXferAsync); }
    bool Quote() { return Synchronize(&TCustomFtpCli::QuoteAsync); }
    bool DoQuote() { return Synchronize(&TCustomFtpCli::DoQuoteAsync); }
    bool RestGet() { return Synchronize(&TCustomFtpCli::RestGetAsync); }
    bool RestartGet() { return Synchronize(&TCustomFtpCli::RestartGetAsync); }
    bool Mlsd() { return Synchronize(&TCustomFtpCli::MlsdAsync); }
    bool Mlst() { return Synchronize(&TCustomFtpCli::MlstAsync); }
    bool Feat() { return Synchronize(&TCustomFtpCli::FeatAsync); }
    bool Mdtm() { return Synchronize(&TCustomFtpCli::MdtmAsync); }
    bool Mdtmyy() { return Synchronize(&TCustomFtpCli::MdtmyyAsync); }
    bool Mfmt() { return Synchronize(&TCustomFtpCli::MfmtAsync); }
    bool Md5() { return Synchronize(&TCustomFtpCli::Md5Async); }
    bool AuthSsl() { return Synchronize(&TCustomFtpCli::AuthSslAsync); }
    bool AuthenticateSsl() { return Synchronize(&TCustomFtpCli::AuthenticateSslAsync); }

    // Starts Proc and waits; an exception of Proc (a refusal) gives false.
    bool Synchronize(void (TCustomFtpCli::*Proc)());
    virtual bool WaitUntilReady();
    void MessagePump();

protected:
    bool Progress() override;

private:
    qint64 FTimeStop = 0;  // deadline in FtpTickMs
    // Wait for messages at most this long in one round (ms).
    int PumpRoundMs() const;
};
