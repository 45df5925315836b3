#include "publishing/Logger.h"

#include "publishing/DailyLogFiles.h"
#include "shell/LogTime.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <exception>

const char* const TLogger::kProductNames[kProductTypes] = {
    "Normal",
    "Video A",
    "Video B",
    "False colour (A, B)",
    "False colour (ch 2,4)",
    "False colour low temperatures (ch 2,4)",
    "IR Brightness temperatures (ch 4)",
    "IR Low temperatures (ch 4)",
};

namespace {

// The feed's name in its failure message; the quotes are part of the text.
const char kFeedFailure[] = "Failed to create \"Zuz Uzeze DOZ Eri Dodi\" ";

void RemovePlainFiles(const QString& folder)
{
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
}

}  // namespace

TLogger::TLogger(const TSetting& settings, TLogSource source, TAPTThread* thread)
    : settings_(settings),
      engine_(source.Engine),
      sat_(source.Pass ? std::make_unique<TSat>(*source.Pass) : nullptr),
      renderer_(source.Renderer),
      logDir_(source.LogDir),
      receiverName_(source.ReceiverName),
      thread_(thread),
      localDir_(dailylog::DailyDir(source.LogDir)),
      ftpPort_(source.FtpPort)
{
    settings_.Validate();
}

TLogger::~TLogger() { Disconnect(); }

void TLogger::AddMessage(const QString& text)
{
    Messages << FormatLogTime(QDateTime::currentDateTime()) << text << QString();
}

void TLogger::FlushMessages()
{
    if (Messages.isEmpty())
        return;
    if (thread_)
        thread_->SynchronizeLogLines(Messages);
    else if (OnMessages)
        OnMessages(Messages);
}

bool TLogger::WriteLog(bool)
{
    Messages.clear();
    Busy = true;
    bool written = false;
    try {
        written = Run();
    } catch (const std::exception& e) {
        AddMessage(QString("The daily log was not written: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        AddMessage("The daily log was not written: unexpected failure.");
    }
    FlushMessages();
    Busy = false;
    return written;
}

bool TLogger::Run()
{
    TSetting::FreeLogImages(&images_, false);
    entryNumber_ = 0;
    if (!engine_ || !renderer_ || !sat_ || settings_.LogImages.Count == 0)
        return false;
    if (!ChooseProducts()) {
        AddMessage(SatName(*sat_) + " Nothing to log!");
        return false;
    }
    passTime_ = TSat::DayNumberToDateTime(sat_->WindowStart);
    localDir_ = dailylog::DailyDir(logDir_);
    if (!WriteProductImages()) {
        AddMessage("Failed to create images!");
        return false;
    }
    QString error;
    const QString page = localDir_ + "/" + dailylog::kPage;
    if (!WritePage(page, error)) {
        AddMessage("Failed to create " + page);
        if (!error.isEmpty())
            AddMessage(error);
        return false;
    }
    const QString feed = localDir_ + "/" + dailylog::kFeed;
    if (!WriteFeed(feed, error)) {
        AddMessage(kFeedFailure + feed);
        if (!error.isEmpty())
            AddMessage(error);
        return false;
    }
    return true;
}

bool TLogger::IsTaken(int type, int a, int b) const
{
    const bool poorToo = settings_.LogModes & 0x80;   // Q: log poor image quality
    const bool irAtNight = settings_.LogModes & 0x200;  // N: IR images only at night
    const bool day = sat_->Daylight;
    // A visible video A in daylight: the IR products wait for the night.
    const bool visibleDay = irAtNight && day && a <= 1;
    const bool normal = poorToo ? (a >= 0 || b >= 0) : (a >= 0 && b >= 0);
    switch (type) {
    case -1: return false;
    case 0: return normal;
    case 1:
    case 3: return normal && day && a <= 1;
    case 2: return (b >= 1 || poorToo) && !visibleDay;
    case 4:
    case 5: return a >= 0 && b >= 1 && day && a <= 1;
    default: return b >= 1 && !visibleDay;
    }
}

bool TLogger::ChooseProducts()
{
    if (!engine_->CheckTelemetry(settings_.LogModes & 0x80))
        return false;
    for (int i = 0; i < settings_.LogImages.Count; ++i) {
        const TLogImage* wanted = settings_.LogImages.At(i);
        if (wanted && IsTaken(wanted->Type, engine_->ChannelA, engine_->ChannelB))
            images_.Add(new TLogImage(wanted->Name, wanted->Type));
    }
    return images_.Count > 0;
}

void TLogger::StartNewDailyLog()
{
    localDir_ = dailylog::DailyDir(logDir_);
    for (const char* name : {dailylog::kPage, dailylog::kPageCopy, dailylog::kFeed, dailylog::kFeedCopy,
                             dailylog::kUploadList})
        QFile::remove(localDir_ + "/" + name);
    RemovePlainFiles(localDir_ + "/" + dailylog::kImages);
    RemovePlainFiles(localDir_ + "/" + dailylog::kThumbs);
}

void TLogger::TouchDailyLog()
{
    localDir_ = dailylog::DailyDir(logDir_);
    for (const char* name : {dailylog::kPage, dailylog::kFeed}) {
        const QString path = localDir_ + "/" + name;
        if (!dailylog::DateNow(path))
            QFile::remove(path);
    }
}

TPassLogWriterFactory MakeThreadLoggerFactory(TLogSource source)
{
    return [source = std::move(source)](TAPTThread& thread) -> std::unique_ptr<TPassLogWriter> {
        return std::make_unique<TLogger>(thread.Settings(), source, &thread);
    };
}
