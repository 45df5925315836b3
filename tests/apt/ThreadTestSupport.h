#pragma once
// What the processing-thread tests share: a display that records every call
// the thread makes (all on the GUI thread), a log writer that counts its
// runs, a pump that serves the thread's synchronised calls, and the state a
// recording leaves for a hand-over thread.
#include "apt/APT.h"
#include "apt/APTThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <functional>
#include <sndfile.h>
#include <string>
#include <vector>

namespace threadtest {

class RecordingDisplay : public TAPTDisplay {
public:
    explicit RecordingDisplay(TAPT& engine) : engine_(engine) {}

    void DrawLine(const TAPTLinePixels& line) override
    {
        Check();
        rows.push_back(line.Row);
        // The engine's row as the thread drew it (the thread waits meanwhile).
        const double* values = engine_.GetLine(line.Row, 0);
        lines.emplace_back(values, values + TAPT::kLineWidth);
        gauge.push_back(PassProgressPermille(engine_.Lines, engine_.MaxLines, 0, 0));
        if (onLine)
            onLine(line);
    }
    void ShowFinishing(int done, int steps) override
    {
        Check();
        gauge.push_back(PassProgressPermille(engine_.Lines, engine_.MaxLines, done, steps));
        ++finishingCalls;
    }
    void HideGaugePanel() override
    {
        Step("gauge");
        gaugeMovesBeforeHidden = static_cast<int>(gauge.size());
    }
    void SetImageBitmap(MagickImagePtr image) override
    {
        Step("image");
        imageRows = image ? static_cast<int>(image->rows) : -1;
    }
    void ShowStatus(const QString& caption) override { Step("status " + caption.toStdString()); }
    void HideProgress() override { Step("progress"); }
    void ShowResult() override { Step("result"); }
    void AddLogLines(const QStringList& more) override
    {
        Check();
        logLines << more;
    }

    std::vector<int> rows;
    std::vector<std::vector<double>> lines;
    std::vector<std::string> steps;
    // The gauge's bar in thousandths after each drawn row and finishing step.
    std::vector<int> gauge;
    int finishingCalls = 0;
    int gaugeMovesBeforeHidden = -1;
    QStringList logLines;
    int imageRows = 0;
    int offGuiThread = 0;  // calls that did not run on the GUI thread
    std::function<void(const TAPTLinePixels&)> onLine;

private:
    void Check() { offGuiThread += QThread::currentThread() != QCoreApplication::instance()->thread(); }
    void Step(const std::string& step)
    {
        Check();
        steps.push_back(step);
    }
    TAPT& engine_;
};

// Counts the runs of the web log writer; duringWrite runs inside WriteLog,
// on the processing thread.
struct LogCounts {
    std::atomic<int> made{0}, writes{0}, uploads{0};
    std::function<void()> duringWrite;
};

class CountingLog : public TPassLogWriter {
public:
    explicit CountingLog(LogCounts& counts) : counts_(counts) {}
    bool WriteLog(bool) override
    {
        busy_ = true;
        ++counts_.writes;
        if (counts_.duringWrite)
            counts_.duringWrite();
        busy_ = false;
        return true;
    }
    bool UploadLog(bool) override
    {
        ++counts_.uploads;
        return true;
    }
    bool IsBusy() const override { return busy_; }

private:
    LogCounts& counts_;
    std::atomic<bool> busy_{false};
};

inline TPassLogWriterFactory CountingFactory(LogCounts& counts)
{
    return [&counts](TAPTThread&) {
        ++counts.made;
        return std::make_unique<CountingLog>(counts);
    };
}

// Serves the threads' synchronised calls until done() or the time-out.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        TThread::CheckSynchronize();
        QThread::msleep(1);
    }
    return true;
}

inline void PumpFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    PumpUntil([&] { return timer.elapsed() >= ms; });
}

// The sample bytes of an 8-bit WAV file: what the recorder's buffer holds.
inline std::vector<unsigned char> RecordingBytes(const QString& wavPath)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(wavPath.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<unsigned char> bytes(static_cast<size_t>(info.frames));
    bytes.resize(static_cast<size_t>(sf_read_raw(file, bytes.data(), sf_count_t(bytes.size()))));
    sf_close(file);
    return bytes;
}

// A live engine whose recording ended before any of it was decoded, with
// all of it handed over in the private copy: what the end-of-recording
// handler leaves for a hand-over thread.
inline bool PrepareHandOver(TAPT& apt, std::vector<unsigned char>& recording, int maxLines)
{
    if (!apt.Init("", 0) || !apt.MakeLineStore(maxLines))
        return false;
    apt.WaveHeader.Data = recording.data();
    apt.WaveHeader.BufferLength = static_cast<std::uint32_t>(recording.size());
    if (!apt.CopyRecording(static_cast<int>(recording.size())))
        return false;
    apt.Flags |= aptFromCopy;
    return true;
}

}  // namespace threadtest
