// The upload of the daily log by FTP and the pending-upload list.
//
// A full upload, as the server sees it (passive data connections):
//   USER, PASS, PWD                      the log-in folder S ("/" when chrooted)
//   CWD S/<FTPDir parts>/daily/images/thumbs, or the walk that makes it:
//     CWD S/html (fails) MKD S/html CWD S/html ... down to .../daily/images/thumbs
//   CWD S
//   TYPE A, STOR S/<parts>/daily/index.html, TYPE A, STOR .../daily_apt_blog.xml
//   per image: TYPE I, STOR .../images/img_NNN.jpg, TYPE I, STOR .../images/thumbs/img_NNN.jpg
//   QUIT
// Every remote path is built from S by remotepath::Join, so folders and
// files share one base whatever S is.
//
// An image counts as sent only when both it and its thumbnail were stored;
// every other image of the run or of the list stays in "upload.txt".
#include "publishing/DailyLogFiles.h"
#include "publishing/Logger.h"
#include "publishing/PendingUploads.h"
#include "publishing/RemotePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <exception>
#include <utility>

namespace {

// Runs one upload operation so that nothing escapes it: a failure becomes a
// message line and a false result.
template <typename Fn>
bool Guard(Fn&& fn, const std::function<void(const QString&)>& report)
{
    try {
        return fn();
    } catch (const std::exception& e) {
        report(QString("The upload stopped: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        report("The upload stopped: unexpected failure.");
    }
    return false;
}

}  // namespace

QString TLogger::RemoteDir() const { return remotepath::DailyDir(remoteStartDir_, settings_.FTPDir); }

QString TLogger::PendingListPath() const { return localDir_ + "/" + dailylog::kUploadList; }

QString TLogger::FtpError() const
{
    // A request refused before it was sent leaves the previous reply in
    // ErrorMessage; a dead connection is the usual reason.
    if (ftp_->Refused() && !ftp_->GetConnected())
        return "The connection to " + ftp_->HostName + " was closed.";
    return ftp_->ErrorMessage();
}

bool TLogger::Connect()
{
    if (settings_.Host.isEmpty() || settings_.UserName.isEmpty() || settings_.Password.isEmpty()) {
        AddMessage("Missing hostname, username or password");
        QStringList empty;
        for (const auto& [label, value] : {std::pair{"\"Hostname:\"", &settings_.Host},
                                           std::pair{"\"Username:\"", &settings_.UserName},
                                           std::pair{"\"Password:\"", &settings_.Password}})
            if (value->isEmpty())
                empty << label;
        AddMessage("Fill " + empty.join(", ") +
                   " in Settings > General settings..., page \"General\", tab \"FTP-Server\".");
        Disconnect();
        return false;
    }
    if (!ftp_) {
        ftp_ = std::make_unique<TFtpClient>();
        ftp_->HostName = settings_.Host;
        ftp_->Port = ftpPort_;
        ftp_->UserName = settings_.UserName;
        ftp_->PassWord = settings_.Password;
        ftp_->SetPassive(true);
    }
    if (!ftp_->GetConnected() && !ftp_->Connect()) {
        AddMessage(QString("Failed to connect to %1 :%2").arg(ftp_->HostName, ftp_->ErrorMessage()));
        remoteStartDir_.clear();
        return false;
    }
    if (remoteStartDir_.isEmpty()) {
        const bool ok = ftp_->Pwd();
        if (ok)
            remoteStartDir_ = ftp_->CurrentDir();
        else
            AddMessage("Failed to get current directory! " + FtpError());
        return ok;
    }
    const bool ok = ChangeDir(remoteStartDir_);
    if (!ok)
        AddMessage("Failed to change directory! " + FtpError());
    return ok;
}

void TLogger::Disconnect()
{
    if (ftp_) {
        if (ftp_->GetConnected())
            ftp_->Quit();
        ftp_.reset();
    }
    remoteStartDir_.clear();
}

bool TLogger::ChangeDir(const QString& path)
{
    ftp_->HostDirName = path;
    return ftp_->Cwd();
}

bool TLogger::MakeRemoteFolders()
{
    const QString start = remoteStartDir_;
    if (ChangeDir(remotepath::Join(RemoteDir(), {dailylog::kThumbs}))) {
        const bool back = ChangeDir(start);
        if (!back)
            AddMessage(FtpError());
        return back;
    }
    QStringList parts = remotepath::FolderParts(settings_.FTPDir);
    parts << dailylog::kDailyFolder << "images" << "thumbs";
    QString path = start;
    for (const QString& part : parts) {
        path = remotepath::Join(path, {part});
        if (ChangeDir(path))
            continue;
        ftp_->HostFileName = path;
        if (!ftp_->Mkd()) {
            AddMessage("Failed to create directory " + path);
            AddMessage(FtpError());
            return false;
        }
        if (!ChangeDir(path)) {
            AddMessage("Failed to change directory to " + path);
            AddMessage(FtpError());
            return false;
        }
    }
    if (!ChangeDir(start)) {
        AddMessage("Failed to change directory to " + start);
        return false;
    }
    return true;
}

bool TLogger::SendFile(const QString& localPath, const QString& remotePath, bool binary)
{
    ftp_->SetBinary(binary);
    if (!ftp_->TypeSet()) {
        AddMessage(FtpError());
        return false;
    }
    ftp_->HostFileName = remotePath;
    ftp_->SetLocalFileName(localPath);
    if (!ftp_->Put()) {
        AddMessage("Failed to send file " + localPath);
        const QString reason = FtpError();
        if (!reason.isEmpty())
            AddMessage(reason);
        return false;
    }
    return true;
}

bool TLogger::SendPageAndFeed()
{
    for (const char* name : {dailylog::kPage, dailylog::kFeed})
        if (!SendFile(localDir_ + "/" + name, remotepath::Join(RemoteDir(), {name}), false))
            return false;
    return true;
}

bool TLogger::SendImage(const QString& name)
{
    return SendFile(localDir_ + "/" + dailylog::kImages + "/" + name,
                    remotepath::Join(RemoteDir(), {dailylog::kImages, name}), true) &&
           SendFile(localDir_ + "/" + dailylog::kThumbs + "/" + name,
                    remotepath::Join(RemoteDir(), {dailylog::kThumbs, name}), true);
}

void TLogger::KeepPending(const QStringList& names)
{
    QString error;
    if (!pending::WritePendingList(PendingListPath(), names, error))
        AddMessage("Failed to update the pending-upload list, the images " + names.join(", ") +
                   " may not be uploaded again: " + error);
}

void TLogger::AppendPendingUploads(const QStringList& names)
{
    QString error;
    QStringList refused;
    if (!names.isEmpty() && !pending::AppendPendingNames(PendingListPath(), names, error, &refused))
        AddMessage("Failed to keep the images " + names.join(", ") + " for a later upload: " + error);
    ReportRefusedNames(refused);
}

void TLogger::ReportRefusedNames(const QStringList& refused)
{
    for (const QString& name : refused)
        AddMessage("Not an image of the daily log, not uploaded: " + name);
}

void TLogger::SendPendingNames()
{
    QStringList names, refused;
    QString error;
    const bool read = pending::ReadPendingList(PendingListPath(), names, error, &refused);
    ReportRefusedNames(refused);
    if (!read) {
        AddMessage(error);
        return;
    }
    if (names.isEmpty() && refused.isEmpty())
        return;
    // The newest first.
    for (qsizetype i = names.size() - 1; i >= 0; --i) {
        if (!SendImage(names[i]))
            break;
        names.removeAt(i);
    }
    KeepPending(names);
}

bool TLogger::SendRunFiles()
{
    QStringList names;
    for (int i = 0; i < images_.Count; ++i)
        names << images_.At(i)->FileName;
    if (!SendPageAndFeed()) {
        AppendPendingUploads(names);
        return false;
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!SendImage(names[i])) {
            // The product before the failed one is listed as well (sent
            // once more by the retry), then the failed one and the rest.
            AppendPendingUploads(names.mid(std::max<qsizetype>(0, i - 1)));
            return false;
        }
    }
    SendPendingNames();
    return true;
}

bool TLogger::UploadLog(bool keepConnected)
{
    Messages.clear();
    Busy = true;
    const bool sent = Guard(
        [&] {
            if (images_.Count == 0) {
                Disconnect();
                AddMessage("Nothing to log...");
                return false;
            }
            QStringList names;
            for (int i = 0; i < images_.Count; ++i)
                names << images_.At(i)->FileName;
            if (!Connect()) {
                if (!settings_.Host.isEmpty())  // else the missing name was just reported
                    AddMessage("Failed to connect to " + settings_.Host);
                AppendPendingUploads(names);
                return false;
            }
            if (!MakeRemoteFolders()) {
                AppendPendingUploads(names);
                return false;
            }
            const bool ok = SendRunFiles();
            if (ok)
                AddMessage(QString("%1 Daily log uploaded succesfully!").arg(sat_ ? SatName(*sat_) : QString()));
            return ok;
        },
        [this](const QString& text) { AddMessage(text); });
    // A failed connection is ended as well: the client must not outlive
    // the operation on a thread that is about to finish.
    if (!keepConnected || !sent)
        Disconnect();
    FlushMessages();
    Busy = false;
    return sent;
}

bool TLogger::UploadListedFiles(QStringList& names)
{
    if (names.isEmpty()) {
        AddMessage("Nothing to upload");
        KeepPending(names);
        return false;
    }
    bool ok = Connect() && SendPageAndFeed();
    while (ok && !names.isEmpty()) {
        ok = SendImage(names.first());
        if (ok)
            names.removeFirst();
    }
    Disconnect();
    // Written only now, so that a name is never lost between the start of
    // the upload and its end.
    KeepPending(names);
    return ok;
}

bool TLogger::RetryUpload()
{
    Messages.clear();
    localDir_ = dailylog::DailyDir(logDir_);
    const bool sent = Guard(
        [&] {
            QStringList names, refused;
            QString error;
            const bool read = pending::ReadPendingList(PendingListPath(), names, error, &refused);
            ReportRefusedNames(refused);
            if (!read) {
                AddMessage(error);
                return false;
            }
            return UploadListedFiles(names);
        },
        [this](const QString& text) { AddMessage(text); });
    Disconnect();
    FlushMessages();
    return sent;
}

bool TLogger::UploadAllFiles()
{
    Messages.clear();
    localDir_ = dailylog::DailyDir(logDir_);
    const bool sent = Guard(
        [&] {
            QStringList names;
            const QString thumbs = localDir_ + "/" + dailylog::kThumbs + "/";
            for (const QString& name : QDir(localDir_ + "/" + dailylog::kImages).entryList(QDir::Files, QDir::Name))
                if (QFileInfo(thumbs + name).isFile())
                    names << name;
            return UploadListedFiles(names);
        },
        [this](const QString& text) { AddMessage(text); });
    Disconnect();
    FlushMessages();
    return sent;
}

QString TLogger::GetPendingUploadFile(bool remove)
{
    localDir_ = dailylog::DailyDir(logDir_);
    const QString path = PendingListPath();
    if (remove) {
        QFile::remove(path);
        return {};
    }
    return QFileInfo::exists(path) ? path : QString();
}
