// The time-check dialog: its form, the server list file and what it keeps
// in the registry.
#include "tracking/ui/TimeDlg.h"

#include "orbit/Satutil.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "shell/RegistryHelpers.h"
#include "shell/TextHelpers.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QTextBlock>

TTimeDlg* TimeDlg = nullptr;

namespace {

const char kClockKey[] = "APT\\Clock";
// A server name is a host name (at most 253 characters) or an address: a
// longer line is no name, and the list file never holds one.
constexpr int kMaxServerLine = 511;
// The list is read this far at most: some thousands of names.
constexpr qint64 kMaxServerListBytes = 1 << 20;

// A line as the list holds it: UTF-8 as written; a file from elsewhere in a
// single-byte code page is read as Latin-1, so the name is written back as
// UTF-8 of the same characters instead of growing replacement characters.
QString ServerName(const QByteArray& line)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8(line);
    return utf8.hasError() ? QString::fromLatin1(line) : name;
}

// Whether the list file can hold name so that it reads back the same: one
// line, short enough. A server name holds neither a carriage return nor a
// line feed, so a line with one inside is no name; the reader passes it
// over as the writer would leave it out.
bool StorableServerName(const QString& name)
{
    const QByteArray text = name.toUtf8();
    return !text.isEmpty() && text.size() <= kMaxServerLine && !text.contains('\n') && !text.contains('\r');
}

// The public NTP pool: its main name, four continents, 22 countries; and
// two servers of a national time service.
const char* const kBuiltInServers[] = {
    "pool.ntp.org",          "asia.pool.ntp.org",  "europe.pool.ntp.org", "oceania.pool.ntp.org",
    "north-america.pool.ntp.org", "de.pool.ntp.org", "fr.pool.ntp.org", "uk.pool.ntp.org",
    "nl.pool.ntp.org",       "be.pool.ntp.org",    "ch.pool.ntp.org",     "at.pool.ntp.org",
    "se.pool.ntp.org",       "no.pool.ntp.org",    "fi.pool.ntp.org",     "dk.pool.ntp.org",
    "pl.pool.ntp.org",       "cz.pool.ntp.org",    "it.pool.ntp.org",     "es.pool.ntp.org",
    "pt.pool.ntp.org",       "ie.pool.ntp.org",    "us.pool.ntp.org",     "ca.pool.ntp.org",
    "au.pool.ntp.org",       "nz.pool.ntp.org",    "jp.pool.ntp.org",     "time-a.nist.gov",
    "time-b.nist.gov",
};
static_assert(std::size(kBuiltInServers) == 29);

}  // namespace

TTimeDlg::TTimeDlg(QWidget* parent, const QString& serverListFile)
    : QDialog(parent),
      serverListFile_(serverListFile.isEmpty()
                          ? TAppFolders(programfolder::Path(), nullptr).GetTimeServersFileName()
                          : serverListFile)
{
    setObjectName("TimeDlg");
    setWindowTitle("Check time");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    BuildForm();
    NTPSocket.SetPort(NtpPort);
    NTPSocket.SetProto("udp");
    NTPSocket.OnSessionConnected = [this](TCustomWSocket* s, int e) { NTPSocketSessionConnected(s, e); };
    NTPSocket.OnDataAvailable = [this](TCustomWSocket* s, int e) { NTPSocketDataAvailable(s, e); };
    replyTimer_.setSingleShot(true);
    connect(&replyTimer_, &QTimer::timeout, this, &TTimeDlg::ReplyTimedOut);
    FormCreate();
    if (!TimeDlg)
        TimeDlg = this;
}

TTimeDlg::~TTimeDlg()
{
    FormDestroy();
    if (TimeDlg == this)
        TimeDlg = nullptr;
}

void TTimeDlg::BuildForm()
{
    ServerCb = new QComboBox(this);
    ServerCb->setObjectName("ServerCb");
    ServerCb->setEditable(true);
    ServerCb->setInsertPolicy(QComboBox::NoInsert);  // typed names join the list only when they answer
    for (const char* name : kBuiltInServers)
        ServerCb->addItem(name);
    ServerCb->setMinimumWidth(260);
    CheckBtn = new QPushButton("Check", this);
    SetBtn = new QPushButton("Set", this);
    ClearLogBtn = new QPushButton("Clear log", this);
    CheckBtn->setObjectName("CheckBtn");
    SetBtn->setObjectName("SetBtn");
    ClearLogBtn->setObjectName("ClearLogBtn");
    log = new QPlainTextEdit(this);
    log->setObjectName("log");
    log->setReadOnly(true);
    log->setStyleSheet("QPlainTextEdit { background: navy; color: lime; }");
    log->setMinimumSize(460, 260);

    auto* synch = new QGroupBox(" Last Clock Synchronization ", this);
    SynchServer = new QLabel(synch);
    SynchDate = new QLabel(synch);
    ClkErr = new QLabel(synch);
    SynchServer->setObjectName("SynchServer");
    SynchDate->setObjectName("SynchDate");
    ClkErr->setObjectName("ClkErr");
    auto* synchGrid = new QGridLayout(synch);
    synchGrid->addWidget(new QLabel("Server :", synch), 0, 0);
    synchGrid->addWidget(SynchServer, 0, 1);
    synchGrid->addWidget(new QLabel("Date :", synch), 1, 0);
    synchGrid->addWidget(SynchDate, 1, 1);
    synchGrid->addWidget(new QLabel("Error :", synch), 2, 0);
    synchGrid->addWidget(ClkErr, 2, 1);
    synchGrid->setColumnStretch(1, 1);

    auto* top = new QGridLayout;
    top->addWidget(new QLabel("Time Server Name or IP", this), 0, 0);
    top->addWidget(ServerCb, 1, 0);
    top->addWidget(CheckBtn, 1, 1);
    top->addWidget(SetBtn, 1, 2);
    top->addWidget(ClearLogBtn, 1, 3);
    top->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(log, 1);
    layout->addWidget(synch);

    connect(CheckBtn, &QPushButton::clicked, this, &TTimeDlg::CheckBtnClick);
    connect(SetBtn, &QPushButton::clicked, this, &TTimeDlg::SetBtnClick);
    connect(ClearLogBtn, &QPushButton::clicked, this, &TTimeDlg::ClearLogBtnClick);
    connect(ServerCb, &QComboBox::currentTextChanged, this, &TTimeDlg::ServerCbChange);
}

void TTimeDlg::FormCreate()
{
    SynchDate->setText(ReadRegistryString(kClockKey, "Date"));
    ClkErr->setText(ReadRegistryString(kClockKey, "Error"));
    SynchServer->setText(ReadRegistryString(kClockKey, "Server"));
    ServerListChanged = false;
    ReadServerList();  // names the file adds mark the list changed
    const QSignalBlocker quiet(ServerCb);  // showing the last server is no change by the user
    if (!SynchServer->text().isEmpty())
        ServerCb->setCurrentText(SynchServer->text());
    else if (ServerCb->count() > 0)
        ServerCb->setCurrentIndex(0);
}

void TTimeDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TTimeDlg::FormShow()
{
    SetRequested = false;
}

void TTimeDlg::FormDestroy()
{
    replyTimer_.stop();
    WriteRegistryString(kClockKey, "Date", SynchDate->text());
    WriteRegistryString(kClockKey, "Error", ClkErr->text());
    WriteRegistryString(kClockKey, "Server", SynchServer->text());
    if (ServerListChanged)
        WriteServerList();
}

void TTimeDlg::ServerCbChange()
{
    ServerListChanged = true;
}

void TTimeDlg::ClearLogBtnClick()
{
    log->clear();
}

void TTimeDlg::ReadServerList()
{
    QFile file(serverListFile_);
    if (!file.open(QIODevice::ReadOnly) || !FindLineInFile("[Servers]\n", &file, false))
        return;
    while (!file.atEnd() && file.pos() < kMaxServerListBytes) {
        // Room for the longest name and its CR LF.
        QByteArray line = file.readLine(kMaxServerLine + 3);
        if (!line.endsWith('\n') && !file.atEnd()) {
            // Too long for a name: passed over whole, as its pieces would be
            // names that never were.
            while (!file.atEnd() && file.pos() < kMaxServerListBytes &&
                   !file.readLine(kMaxServerLine + 3).endsWith('\n')) {
            }
            continue;
        }
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const QString name = ServerName(line);
        // Measured as written back, so what is taken can be written and read again.
        if (!StorableServerName(name) || ServerCb->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0)
            continue;
        ServerCb->addItem(name);
        ServerListChanged = true;
    }
}

void TTimeDlg::WriteServerList()
{
    QByteArray text = "/*\n *      File creation date: " +
                      FormatDateTime("dddd d mmmm hh:nn:ss", NowLocal()).toUtf8() +
                      "\n *\n *\tOrvanta Time server list file.\n *\n */\n\n[Servers]\n";
    for (int i = 0; i < ServerCb->count(); ++i) {
        if (StorableServerName(ServerCb->itemText(i)))
            text += ServerCb->itemText(i).toUtf8() + '\n';
    }
    QString error;
    if (!WriteFileAtomically(serverListFile_, text, error))
        qWarning("%s", qPrintable(error));  // the dialog is going away: nowhere else to say it
}

void TTimeDlg::Log(const QString& line)
{
    log->appendPlainText(line);
}

void TTimeDlg::AppendToLastLine(const QString& text)
{
    QTextCursor cursor(log->document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(text);
}

QStringList TTimeDlg::LogLines() const
{
    return log->toPlainText().split('\n');
}
