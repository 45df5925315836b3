// The image window's files: opening an image or a recording, decoding it on
// the processing thread (or loading its raw-line cache), the live recording
// hooks, and saving.
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/WaitCursor.h"

#include "imaging/LogViewRenderer.h"

#include "imaging/FileTypes.h"
#include "orbit/Sat.h"
#include "platform/AtomicFile.h"
#include "publishing/Logger.h"
#include "shell/AppFolders.h"
#include "shell/ui/GraphicLabel.h"
#include "shell/ui/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// The same path with another extension (after the last point of the file name).
QString WithExtension(const QString& path, const QString& extension)
{
    const int slash = path.lastIndexOf('/');
    const int dot = path.lastIndexOf('.');
    return (dot > slash ? path.left(dot) : path) + extension;
}

// Why the library could not encode an image, without its source location
// after " @ ", which means nothing to the user; empty when it gave none.
QString LibraryReason(const ExceptionInfo& exception)
{
    if (exception.severity == UndefinedException)
        return QString();
    QString reason = QString::fromLocal8Bit(exception.reason);
    if (exception.description && *exception.description)
        reason += " " + QString::fromLocal8Bit(exception.description);
    const int location = reason.indexOf(" @ ");
    if (location >= 0)
        reason.truncate(location);
    return reason.trimmed();
}

// Writes data to path + ".tmp", flushes it to disk and renames it over path.
// The folder must exist: a Save As never makes folders the user did not
// choose. On failure nothing is left behind and reason holds the system's
// words.
bool WriteImageFile(const QString& path, const QByteArray& data, QString& reason)
{
    const QString temporaryPath = path + ".tmp";
    return WriteTemporaryFile(temporaryPath, data, reason) && ReplaceFile(temporaryPath, path, reason);
}

// True when path lies inside folder (a path prefix, whole folder names only).
bool IsInsideFolder(const QString& path, const QString& folder)
{
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString base = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return file.startsWith(base + "/");
}

}  // namespace

bool TMDIChild::OpenFile(const QString& path)
{
    const bool image = IsImageExtension(path);
    if (!image && !IsAudioExtension(path)) {
        QMessageBox::information(this, "Unsupported file!", path);
        return false;
    }
    FileName = path;
    View = -1;
    QApplication::processEvents();
    ClearMagickException(Exception.get());

    if (image) {
        if (DisplayBitmap.isNull())
            CreateDisplayBitmap(0, 0);
        if (!ImageInfo) {
            ImageInfo.reset(CloneImageInfo(nullptr));
            if (!ImageInfo)
                return false;
        }
        const QByteArray local = QFile::encodeName(path);
        if (local.size() >= MaxTextExtent)
            return false;
        CopyMagickString(ImageInfo->filename, local.constData(), MaxTextExtent);
        Image.reset(ReadImage(ImageInfo.get(), Exception.get()));
        ShowImageError(Exception.get());
        APT->Flags = aptComplete;
        APT->StopFlags = 0;
        if (!Image) {
            APT->StopFlags = 1;
            return false;
        }
        Flags |= mcImageFile;
        return ShowImage(FileName, true);
    }

    const QString raw = FindRawImage(path);
    APT->RawImageName = raw;
    if (!APT->Init(path, raw.isEmpty() ? 0 : 1))
        return false;
    // A cache that could not be read is decoded anew from the audio.
    const bool complete = APT->Flags & aptComplete;
    // A pass from its cache gets its picture from the first view at once; a
    // blank image of its size in between would only cost time and memory.
    if (!complete && !PrepareImage(APT->MaxLines, TAPT::kLineWidth, 3))
        return false;
    if (!StartFileDecoding(complete))
        return false;
    return complete ? ShowView(ivNormal, 0) : true;
}

QString TMDIChild::FindRawImage(const QString& audioPath) const
{
    TSetting settings(Settings());
    const QString beside = WithExtension(audioPath, settings.GetRawExt());
    if (QFileInfo(beside).isFile())
        return beside;
    const QString inRawFolder = Folders().GetRawAudioDir() + "/" + QFileInfo(beside).fileName();
    if (QFileInfo(inRawFolder).isFile())
        return inRawFolder;
    return {};
}

bool TMDIChild::StartFileDecoding(bool complete)
{
    WaitCursor busy;
    QApplication::processEvents();
    Pass = std::make_unique<TSat>();
    if (!IdentifyRecording || !IdentifyRecording(this, FileName, Pass.get()))
        Pass.reset();

    if (!complete) {
        LbTarget->setText(Pass ? Pass->GetPassDescription(0) : FileName);
        LbPayload->setText(QString("%1 Lines").arg(APT->MaxLines));
        LbStatus->setText("Decoding");
        LbGaugePos->clear();
        SetGauge(0);
    }
    const bool northbound = IsNorthbound();
    APT->SpacecraftModel = Pass ? TSat::GetNOAAIndex(Pass->Name) : GetMenuModel();

    if (!complete) {
        // The cache lies beside a recording of the program's own folders,
        // otherwise in the raw folder.
        TSetting settings(Settings());
        const QString beside = WithExtension(FileName, settings.GetRawExt());
        const TAppFolders folders = Folders();
        if (IsInsideFolder(FileName, folders.GetAppDir())) {
            APT->RawImageName = beside;
        } else {
            QDir().mkpath(folders.GetRawAudioDir());
            APT->RawImageName = folders.GetRawAudioDir() + "/" + QFileInfo(beside).fileName();
        }
    }
    APT->AudioFileName = FileName;
    if (!complete) {
        if (northbound)
            sb->verticalScrollBar()->setValue(sb->verticalScrollBar()->maximum());
        ShowProgress(true);
        if (!StartThread(northbound))
            return false;
    }
    FormActivate();
    return true;
}

bool TMDIChild::StartThread(bool northbound)
{
    TAPTThreadSetup setup;
    setup.Engine = APT.get();
    setup.Display = this;
    setup.Settings = Settings();
    setup.Northbound = northbound;
    setup.HasPass = Pass != nullptr;
    // The log writer renders this window's products off screen on the
    // processing thread, from copies taken here.
    LogRenderer = std::make_unique<TViewLogRenderer>(APT.get(), setup.Settings,
                                                     Pass ? Pass->GetPassDescription(0) : QString(), northbound,
                                                     LUTFileName);
    TLogSource source;
    source.Engine = APT.get();
    if (Pass)
        source.Pass = *Pass;
    source.Renderer = LogRenderer.get();
    source.LogDir = MainForm ? MainForm->Folders().GetLogDir() : QString();
    source.FtpPort = LogFtpPort;
    if (MainForm && MainForm->Rig)
        source.ReceiverName = MainForm->Rig->GetRadioName();
    setup.MakeLogger = MakeThreadLoggerFactory(std::move(source));
    APTThread = std::make_unique<TAPTThread>(false, std::move(setup));
    return true;
}

bool TMDIChild::StartRecording(const TSat* pass, const QString& folder, const TLiveRecording& source)
{
    if (!pass)
        return false;
    const int seconds = pass->GetRecordingSeconds();
    if (seconds <= 0)
        return false;
    Flags &= ~(mcModified | mcRecording);
    StopAPTThread(4);
    QApplication::processEvents();
    Pass.reset();
    DeleteRawImage();

    if (!APT->Init(QString(), 0))
        return false;
    APT->MaxLines = 2 * seconds;
    APT->WaveIn = source.Position;
    APT->WaveHeader = source.Header;
    if (!PrepareImage(APT->MaxLines, APT->GetLineWidth(), 3))
        return false;
    View = -1;
    ChopState = -1;

    const QString target = QString("%1 %2 on %3 MHz")
                               .arg(QString(pass->Name).trimmed(), pass->Northbound ? "Northbound" : "Southbound",
                                    pass->Downlink);
    setWindowTitle("Recording " + target);
    LbTarget->setText(target);
    LbPayload->setText(QString("%1 Lines").arg(APT->MaxLines));
    LbStatus->setText("Recording");
    LbGaugePos->setText("1");
    SetGauge(0);

    Pass = std::make_unique<TSat>(*pass);
    APT->SpacecraftModel = TSat::GetNOAAIndex(Pass->Name);
    FileName = folder + "/" + Pass->FileBaseName + ".wav";
    APT->AudioFileName = FileName;
    TSetting settings(Settings());
    APT->RawImageName = WithExtension(FileName, settings.GetRawExt());

    const bool northbound = Pass->Northbound != 0;
    if (northbound)
        sb->verticalScrollBar()->setValue(sb->verticalScrollBar()->maximum());
    if (MainForm && MainForm->MDIArea()->currentSubWindow() &&
        MainForm->MDIArea()->currentSubWindow()->widget() == this)
        FormActivate();
    ShowProgress(true);
    StartThread(northbound);
    Flags |= mcLive | mcRecording;
    return true;
}

void TMDIChild::DecodeFromMemory()
{
    // The live thread has ended with the recording; it goes without a stop
    // bit, which would stop the hand-over before its first row.
    APTThread.reset();
    APT->Flags |= aptFromCopy;
    Flags &= ~mcRecording;
    StartThread(Pass && Pass->Northbound);
}

void TMDIChild::StopAPTThread(int stopFlags)
{
    if (!APTThread)
        return;
    if (APT)
        APT->StopFlags |= stopFlags;
    if (!APT || !(APT->Flags & aptComplete)) {
        QApplication::processEvents();
        APTThread->Stop(stopFlags);
    }
    APTThread.reset();
}

void TMDIChild::DeleteRawImage()
{
    if (!APT || (Settings().LogModes & 0x20))
        return;
    if (!APT->RawImageName.isEmpty()) {
        QFile::remove(APT->RawImageName);
        APT->RawImageName.clear();
    }
}

bool TMDIChild::SaveFile(const QString& path)
{
    if (!IsEditable())
        return false;
    QApplication::processEvents();
    if (!path.isEmpty()) {
        if (QFileInfo::exists(path) &&
            QMessageBox::question(this, "Confirm overwrite", path, QMessageBox::Yes | QMessageBox::No) !=
                QMessageBox::Yes)
            return false;
        FileName = path;
    }
    const QByteArray local = QFile::encodeName(FileName);
    if (local.isEmpty() || local.size() >= MaxTextExtent)
        return false;
    CopyMagickString(Image->filename, local.constData(), MaxTextExtent);
    // A crop keeps its place on the old canvas; a viewer would show the
    // saved picture shifted by it, so what is saved is the picture alone.
    Image->page = RectangleInfo{};
    TSetting settings(Settings());
    const QString ext = FileExtension(FileName);
    if (ext == settings.ImageExt)
        settings.ApplyImageFormat(Image.get(), ImageInfo.get());
    else
        settings.ApplyImageFormatAs(Image.get(), ImageInfo.get(), ext);

    // Encoded in memory in the chosen format, then written under a temporary
    // name and renamed: an existing file is replaced only by a complete
    // image, and a failed write is told in the system's words about the file
    // the user chose. The library sees a bare name only, so characters such
    // as "[" or "%" in the user's folders are never read as its options.
    const QString finalPath = QFile::decodeName(Image->filename);
    const auto refuse = [&](const QString& reason) {
        QMessageBox::critical(this, "Error", "Unable to write the image!\n" + finalPath +
                                                 (reason.isEmpty() ? QString() : "\n" + reason));
        return false;
    };
    const QByteArray bareName = ("image" + FileExtension(finalPath)).toUtf8();
    if (bareName.size() >= MaxTextExtent)
        return false;
    CopyMagickString(ImageInfo->filename, bareName.constData(), MaxTextExtent);
    CopyMagickString(Image->filename, bareName.constData(), MaxTextExtent);
    CopyMagickString(ImageInfo->magick, "", MaxTextExtent);
    size_t length = 0;
    ClearMagickException(Exception.get());
    void* blob = ImageToBlob(ImageInfo.get(), Image.get(), &length, Exception.get());
    QByteArray encoded;
    if (blob && length > 0 && Exception->severity < ErrorException)
        encoded = QByteArray(static_cast<const char*>(blob), static_cast<qsizetype>(length));
    if (blob)
        RelinquishMagickMemory(blob);
    CopyMagickString(ImageInfo->filename, QFile::encodeName(finalPath).constData(), MaxTextExtent);
    CopyMagickString(Image->filename, QFile::encodeName(finalPath).constData(), MaxTextExtent);
    const QString libraryReason = LibraryReason(*Exception);
    ClearMagickException(Exception.get());
    ClearMagickException(&Image->exception);
    if (encoded.isEmpty())
        return refuse(libraryReason);
    QString error;
    if (!WriteImageFile(finalPath, encoded, error))
        return refuse(error);
    FileName = finalPath;
    Flags &= ~mcModified;
    setWindowTitle(finalPath);
    return true;
}
