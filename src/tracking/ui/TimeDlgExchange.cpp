// The time check's SNTP exchange (RFC 4330, version 3, client mode):
//   -> 48 bytes: 0x1B, zeros, the transmit stamp (NtpNow) in bytes 40..47
//   <- 48 bytes: mode 4 in byte 0, stratum in byte 1, the originate stamp
//      (our transmit stamp) in 24..31, receive 32..39, transmit 40..47
// The reply is checked before it is used; a check without a reply ends
// after ReplyTimeoutMs, so no set request outlives its check.
#include "orbit/Satutil.h"
#include "platform/SystemTime.h"
#include "shell/RegistryHelpers.h"
#include "tracking/ui/TimeDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <cmath>

namespace {

const char kLogDateFormat[] = "dddd d mmmm yyyy hh:nn:ss";
constexpr int kPacketBytes = 48;
constexpr double kMaxCorrectionSeconds = 3600;

// "Friday 17 May 2024 12:00:00.500" of a stamp, in UTC.
QString StampText(NtpTimestamp stamp)
{
    const TNtpSystemTime t = NtpToSystemTime(stamp);
    const TDateTime date = EncodeDateTime(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
    return QString::asprintf("%s.%03d", qPrintable(FormatDateTime(kLogDateFormat, date)), t.Milliseconds);
}

}  // namespace

void TTimeDlg::SetBtnClick()
{
    SetRequested = true;
    CheckBtnClick();
}

void TTimeDlg::CheckBtnClick()
{
    const QString server = ServerCb->currentText();
    if (server.isEmpty()) {
        Log("No Time Server selected!");
        SetRequested = false;
        return;
    }
    if (!log->toPlainText().isEmpty())
        Log("");
    replyTimer_.stop();
    if (NTPSocket.State() != wsClosed)
        NTPSocket.Close();
    Log("Connecting to " + server + "...");
    NTPSocket.SetAddr(server);
    NTPSocket.SetPort(NtpPort);
    NTPSocket.SetProto("udp");
    try {
        NTPSocket.Connect();  // for UDP the session is connected, and the request sent, in here
    } catch (const ESocketException& e) {
        // A name that cannot be resolved: said here, never left to the event loop.
        SetRequested = false;
        Log(e.Message());
        QMessageBox box(QMessageBox::Critical, windowTitle(), e.Message(), QMessageBox::Ok, this);
        box.exec();
    }
}

void TTimeDlg::NTPSocketSessionConnected(TCustomWSocket* sender, int)
{
    AppendToLastLine(" connected.");
    Log("Sending a request...");
    std::uint8_t request[kPacketBytes] = {0x1B};  // leap indicator 0, version 3, mode 3 (client)
    requestStamp_ = NtpNow();
    NtpToNetwork(requestStamp_, request + 40);
    sender->Send(request, kPacketBytes);
    replyTimer_.start(ReplyTimeoutMs);
}

void TTimeDlg::ReplyTimedOut()
{
    if (NTPSocket.State() != wsClosed)
        NTPSocket.Close();
    Log("No data received!");
    SetRequested = false;
}

QString TTimeDlg::CheckReply(const std::uint8_t* reply, int length) const
{
    if (length < kPacketBytes)
        return QString("%1 bytes, a reply has 48").arg(length);
    if ((reply[0] & 0x7) != 4)
        return QString("mode %1, not a server's reply").arg(reply[0] & 0x7);
    if (reply[1] == 0) {
        // A kiss-o'-death: the server tells the client to go away; its code
        // stands where a reference identifier would.
        const QByteArray code(reinterpret_cast<const char*>(reply + 12), 4);
        return QString("stratum 0, kiss code \"%1\"").arg(QString::fromLatin1(code));
    }
    if (reply[1] > 15)
        return QString("stratum %1, the server is not synchronised").arg(reply[1]);
    if (NtpFromNetwork(reply + 40) == 0)
        return "no transmit time";
    if (NtpFromNetwork(reply + 24) != requestStamp_)
        return "not the answer to the request sent";
    return {};
}

void TTimeDlg::NTPSocketDataAvailable(TCustomWSocket* sender, int)
{
    replyTimer_.stop();
    AppendToLastLine(" receiving time.");
    Log("");
    const NtpTimestamp t4 = NtpNow();
    std::uint8_t reply[kPacketBytes] = {};
    const int length = sender->Receive(reply, kPacketBytes);
    sender->Close();
    if (length <= 0) {
        Log("No data received!");
        SetRequested = false;
        return;
    }
    if (const QString reason = CheckReply(reply, length); !reason.isEmpty()) {
        Log("Reply not used: " + reason);
        SetRequested = false;
        return;
    }
    const QString server = ServerCb->currentText();
    if (ServerCb->findText(server, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0) {
        ServerCb->addItem(server);
        ServerListChanged = true;
    }
    const NtpTimestamp t1 = NtpFromNetwork(reply + 24);
    const NtpTimestamp t2 = NtpFromNetwork(reply + 32);
    const NtpTimestamp t3 = NtpFromNetwork(reply + 40);
    ShowResults(t1, t2, t3, t4);
    SetRequested = false;
}

void TTimeDlg::ShowResults(NtpTimestamp t1, NtpTimestamp t2, NtpTimestamp t3, NtpTimestamp t4)
{
    const double delay = NtpDifference(t4, t1) - NtpDifference(t3, t2);
    const double offset =
        static_cast<double>((static_cast<long double>(NtpDifference(t2, t1)) + NtpDifference(t3, t4)) / 2);
    Log("Time in UTC");
    Log("Client originate date: " + StampText(t1));
    Log("Server receive date: " + StampText(t2));
    Log("Server transmit date: " + StampText(t3));
    Log("Client destination date: " + StampText(t4));
    Log(QString::asprintf("Round trip delay: %.3f seconds", delay));
    Log(QString::asprintf("Local clock offset: %.3f seconds", offset));
    if (SetRequested) {
        Log("");
        SetClock(offset);
    }
}

void TTimeDlg::SetClock(double offsetSeconds)
{
    if (std::fabs(offsetSeconds) > kMaxCorrectionSeconds) {
        Log("Difference more than an hour, not synchronizing time!");
        return;
    }
    const TNtpSystemTime t = NtpToSystemTime(NtpAddSeconds(NtpNow(), offsetSeconds));
    const QDateTime utc(QDate(t.Year, t.Month, t.Day), QTime(t.Hour, t.Minute, t.Second, t.Milliseconds), Qt::UTC);
    QString error;
    if (!systime::SetSystemClock(utc, error)) {
        Log("Failed to set system clock!");
        Log(error);
        return;
    }
    Log("Time succesfully synchronized!");
    SynchServer->setText(ServerCb->currentText());
    SynchDate->setText(FormatDateTime(kLogDateFormat, NowLocal()));
    ClkErr->setText(QString::asprintf("%.3f", offsetSeconds));
    // Kept at once as well, not only when the dialog goes.
    WriteRegistryString("APT\\Clock", "Server", SynchServer->text());
    WriteRegistryString("APT\\Clock", "Date", SynchDate->text());
    WriteRegistryString("APT\\Clock", "Error", ClkErr->text());
}
