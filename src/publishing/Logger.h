#pragma once
// TLogger: the log context of one run of the web log writer, made by the
// processing thread after a pass (with itself as thread) or on the GUI thread
// (without one). A run clears the messages, marks itself busy, does its work,
// hands its messages to the process-information window and clears busy.
//
// This build has no web log writer: a run writes and uploads nothing and
// reports just that in its messages.
//
// Threads: a logger is used by the one thread that made it; Busy may be read
// from any thread (the image window's close query reads it).
#include "apt/APTThread.h"
#include "shell/Setting.h"

#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class TLogger : public TPassLogWriter {
public:
    // settings: copied when the logger is made; the copy is validated.
    // thread: the processing thread the run belongs to, or null on the GUI
    // thread. Neither is owned.
    TLogger(const TSetting& settings, TAPTThread* thread);
    ~TLogger() override;
    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // The pass's products into the daily log (all callers pass true).
    bool WriteLog(bool daily) override;
    // What the run wrote, by FTP (all callers pass false).
    bool UploadLog(bool keepConnected) override;
    bool IsBusy() const override { return Busy.load(); }
    // The messages to the process-information window: through the thread's
    // synchronised call, or without a thread to OnMessages.
    void FlushMessages();
    const TSetting& Settings() const { return settings_; }

    std::atomic<bool> Busy{false};  // written by the run, read by any thread
    // The run's entries: a "ddd d mmm yyyy hh:nn:ss" line, the text, an empty line.
    QStringList Messages;
    // Receives the messages of a logger made without a thread (GUI thread).
    std::function<void(const QStringList&)> OnMessages;

private:
    void AddMessage(const QString& text);
    bool ReportNoWriter(const QString& text);

    TSetting settings_;
    TAPTThread* thread_;  // not owned; null on the GUI thread
};

// TAPTThreadSetup::MakeLogger: the log writer of a processing thread's
// post-pass run, on that thread's own settings.
std::unique_ptr<TPassLogWriter> MakeThreadLogger(TAPTThread& thread);
