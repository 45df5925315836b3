#include "publishing/Logger.h"

#include "shell/LogTime.h"

#include <QDateTime>

TLogger::TLogger(const TSetting& settings, TAPTThread* thread) : settings_(settings), thread_(thread)
{
    settings_.Validate();
}

TLogger::~TLogger() = default;

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

bool TLogger::ReportNoWriter(const QString& text)
{
    Messages.clear();
    Busy = true;
    AddMessage(text);
    FlushMessages();
    Busy = false;
    return false;
}

bool TLogger::WriteLog(bool)
{
    return ReportNoWriter("No log writer is configured: the daily log was not written.");
}

bool TLogger::UploadLog(bool)
{
    return ReportNoWriter("No log writer is configured: nothing was uploaded.");
}

std::unique_ptr<TPassLogWriter> MakeThreadLogger(TAPTThread& thread)
{
    return std::make_unique<TLogger>(thread.Settings(), &thread);
}
