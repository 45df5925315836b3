#pragma once
// TTimeDlg, "Check time": one SNTP exchange (version 3, client mode) with a
// time server over UDP shows the four time stamps, the round-trip delay and
// the local clock's offset; "Set" also sets the system clock by the offset
// when it is at most an hour. The dialog keeps its list of servers in
// "timeservers.txt" and the last synchronisation under "APT\Clock", both
// written when it is destroyed. Made once at start-up; GUI thread only (the
// socket's events arrive through the GUI thread's message queue).
//
// Files: TimeDlg.cpp (form, server list, persistence), TimeDlgExchange.cpp
// (the check, the reply and the clock).
#include "net/WSocket.h"
#include "tracking/NtpTime.h"

#include <QDialog>
#include <QTimer>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TTimeDlg : public QDialog {
    Q_OBJECT
public:
    // serverListFile: "timeservers.txt" of the config folder.
    explicit TTimeDlg(QWidget* parent = nullptr, const QString& serverListFile = QString());
    ~TTimeDlg() override;  // FormDestroy

    QComboBox* ServerCb;
    QPushButton* CheckBtn;
    QPushButton* SetBtn;
    QPushButton* ClearLogBtn;
    QPlainTextEdit* log;
    QLabel* SynchServer;
    QLabel* SynchDate;
    QLabel* ClkErr;
    TWSocket NTPSocket;

    bool SetRequested = false;      // the running check is to set the clock
    bool ServerListChanged = false; // write the server list when destroyed
    // The server's port, "123"; tests point the check elsewhere.
    QString NtpPort = QStringLiteral("123");
    // How long a check waits for its reply, in ms.
    int ReplyTimeoutMs = 5000;

    void FormCreate();
    void FormShow();
    void FormDestroy();
    void ServerCbChange();
    void CheckBtnClick();
    void SetBtnClick();
    void ClearLogBtnClick();
    void NTPSocketSessionConnected(TCustomWSocket* sender, int errorCode);
    void NTPSocketDataAvailable(TCustomWSocket* sender, int errorCode);

    // The log's lines, for the caller and tests.
    QStringList LogLines() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
    void ReadServerList();
    void WriteServerList();
    void Log(const QString& line);
    void AppendToLastLine(const QString& text);
    void ReplyTimedOut();
    // Why a reply cannot be used, or "" when it can.
    QString CheckReply(const std::uint8_t* reply, int length) const;
    void ShowResults(NtpTimestamp t1, NtpTimestamp t2, NtpTimestamp t3, NtpTimestamp t4);
    void SetClock(double offsetSeconds);

    QString serverListFile_;
    NtpTimestamp requestStamp_ = 0;  // the transmit stamp of the request in flight
    QTimer replyTimer_;
};

// The dialog of the running program (null before it is made).
extern TTimeDlg* TimeDlg;
