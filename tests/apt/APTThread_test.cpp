#include "AptTestHelpers.h"
#include "ThreadTestSupport.h"
#include "apt/APTThread.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

using namespace threadtest;

namespace {

std::vector<std::string> Steps(std::initializer_list<const char*> names)
{
    return std::vector<std::string>(names.begin(), names.end());
}

TAPTThreadSetup ThreadSetup(TAPT& apt, TAPTDisplay& display, const TSetting& settings)
{
    TAPTThreadSetup setup;
    setup.Engine = &apt;
    setup.Display = &display;
    setup.Settings = settings;
    return setup;
}

// The scheduler's nice value of the calling thread.
int ThreadNice()
{
    return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
}

// Rows 0, 1, 2, ... each once.
bool InOrder(const std::vector<int>& rows)
{
    for (size_t k = 0; k < rows.size(); ++k)
        if (rows[k] != static_cast<int>(k))
            return false;
    return true;
}

// Decodes an audio file on a processing thread and checks what every pass
// from a file must show: rows in order, each drawn as the engine holds it,
// and the finishing steps once.
void DecodeFileOnThread(const QString& path, bool northbound)
{
    SCOPED_TRACE(path.toStdString() + (northbound ? " northbound" : " southbound"));
    TAPT reference;
    const int expectedRows = apttest::DecodeFile(reference, path);
    ASSERT_GT(expectedRows, 0);

    TAPT apt;
    ASSERT_TRUE(apt.Init(path, 0));
    ASSERT_TRUE(QDir().mkpath(testenv::ProgramDir()));
    apt.RawImageName = testenv::ProgramDir() + "pass.gz";
    RecordingDisplay display(apt);
    int badPixels = 0, badTargets = 0;
    display.onLine = [&](const TAPTLinePixels& line) {
        const double* values = apt.GetLine(line.Row, 0);
        for (int x = 0; x < TAPT::kLineWidth; ++x) {
            // Northbound, each channel half is mirrored.
            const int source = !northbound ? x : x < 1040 ? 1039 - x : 3119 - x;
            const double v = values[source];
            const std::uint32_t grey = v <= 0 ? 0 : v >= 255 ? 255 : static_cast<std::uint32_t>(v);
            badPixels += line.Pixels[x] != (grey | grey << 8 | grey << 16);
        }
        const int height = apt.MaxLines;
        badTargets += line.TargetRow(height) != (northbound ? height - 1 - line.Row : line.Row);
    };
    TAPTThreadSetup setup = ThreadSetup(apt, display, TSetting());
    setup.Northbound = northbound;
    TAPTThread thread(false, std::move(setup));
    thread.WaitFor();

    EXPECT_TRUE(InOrder(display.rows));
    ASSERT_EQ(static_cast<int>(display.rows.size()), expectedRows);
    EXPECT_EQ(apt.Lines, expectedRows);
    for (int row = 0; row < expectedRows; ++row)
        ASSERT_EQ(display.lines[row], std::vector<double>(reference.GetLine(row, 0), reference.GetLine(row, 0) + 2080))
            << "row " << row << " decodes as without a thread";
    EXPECT_EQ(badPixels, 0);
    EXPECT_EQ(badTargets, 0);
    EXPECT_EQ(display.offGuiThread, 0);
    EXPECT_EQ(display.steps, Steps({"image", "gauge", "progress", "result"}));
    // The gauge moves on through the grey image and the cache and is full
    // only at the last step, before it is hidden.
    EXPECT_TRUE(std::is_sorted(display.gauge.begin(), display.gauge.end())) << "the gauge never moves back";
    ASSERT_FALSE(display.gauge.empty());
    EXPECT_EQ(display.gauge.back(), 1000);
    EXPECT_EQ(std::count(display.gauge.begin(), display.gauge.end(), 1000), 1);
    EXPECT_GT(display.finishingCalls, 10);
    EXPECT_EQ(display.gaugeMovesBeforeHidden, static_cast<int>(display.gauge.size()));
    EXPECT_EQ(display.imageRows, expectedRows);
    EXPECT_TRUE(QFileInfo::exists(apt.RawImageName)) << "the raw-line cache is written";
    EXPECT_TRUE(apt.Flags & aptComplete);
    EXPECT_FALSE(apt.Flags & aptDecoding);
    EXPECT_TRUE(apt.IsImageReady());
    EXPECT_EQ(thread.Flags & aptThreadTerminated, aptThreadTerminated);
}

}  // namespace

TEST(APTThread, GaugeShareOfDecodingAndFinishing)
{
    struct Case {
        const char* name;
        int rows, wanted, done, steps, permille;
    };
    const Case cases[] = {
        {"nothing wanted yet", 0, 0, 0, 0, 0},
        {"half decoded", 900, 1800, 0, 0, 350},
        {"all decoded", 1800, 1800, 0, 0, 700},
        {"more rows than wanted count as all", 1900, 1800, 0, 0, 700},
        {"finishing begun", 1800, 1800, 0, 10, 700},
        {"finishing half done", 1800, 1800, 5, 10, 850},
        {"one step short of the end", 1800, 1800, 999, 1000, 999},
        {"all finished", 1800, 1800, 10, 10, 1000},
        {"finishing a pass that ended early", 900, 1800, 5, 10, 675},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PassProgressPermille(c.rows, c.wanted, c.done, c.steps), c.permille) << c.name;
}

TEST(APTThread, DecodesGeneratedPassesFromStartToFinish)
{
    aptgen::PassSpec spec;
    spec.lines = 40;
    spec.leadInWords = 900;
    const QString path = apttest::WritePass(spec, "generated.wav", 16);
    DecodeFileOnThread(path, false);
    DecodeFileOnThread(path, true);
}

TEST(APTThread, DecodesTheRealExcerptFromStartToFinish)
{
    const QString path = testenv::SharedDataPath("apt/weak-11025-s16.wav");
    if (path.isEmpty())
        SKIP_MISSING("apt/weak-11025-s16.wav is absent");
    DecodeFileOnThread(path, false);
}

TEST(APTThread, StopEndsTheThreadAtOnceWithoutFinishingThePass)
{
    aptgen::PassSpec spec;
    spec.lines = 40;
    const QString path = apttest::WritePass(spec, "stop.wav", 8);
    std::vector<unsigned char> recording = RecordingBytes(path);
    ASSERT_FALSE(recording.empty());

    // While decoding a file: every row waits for the GUI thread to draw it,
    // so a stop after five rows comes long before the last one.
    {
        auto apt = std::make_unique<TAPT>();
        ASSERT_TRUE(apt->Init(path, 0));
        RecordingDisplay display(*apt);
        auto thread = std::make_unique<TAPTThread>(false, ThreadSetup(*apt, display, TSetting()));
        ASSERT_TRUE(PumpUntil([&] { return display.rows.size() >= 5; }));
        thread->Stop(4);
        EXPECT_TRUE(thread->Finished());
        EXPECT_LE(display.rows.size(), 6u);
        EXPECT_TRUE(InOrder(display.rows));
        EXPECT_TRUE(display.steps.empty()) << "nothing finished, nothing shown";
        EXPECT_FALSE(apt->Flags & (aptComplete | aptDecoding));
        EXPECT_EQ(apt->StopFlags & 4, 4);
        EXPECT_EQ(thread->Flags & aptThreadTerminated, aptThreadTerminated);
        thread.reset();
        apt.reset();
    }

    // In a live decode's first wait: woken, nothing decoded.
    {
        TAPT apt;
        ASSERT_TRUE(apt.Init("", 0));
        apt.MaxLines = 40;
        apt.WaveHeader.Data = recording.data();
        apt.WaveHeader.BufferLength = static_cast<std::uint32_t>(recording.size());
        apt.WaveIn = [&] { return static_cast<int>(recording.size()); };
        RecordingDisplay display(apt);
        TAPTThread thread(false, ThreadSetup(apt, display, TSetting()));
        PumpFor(100);
        thread.Stop(4);
        EXPECT_TRUE(thread.Finished());
        EXPECT_TRUE(display.rows.empty());
        EXPECT_EQ(apt.GetLiveState(), -1);
        EXPECT_EQ(thread.EndRecording(static_cast<int>(recording.size())), TRecordingEnd::Nothing)
            << "a stopped pass is not finished by the end of its recording";
    }

    // During the log run of a finishing hand-over: the run is left between
    // two steps, with no upload and no completion.
    {
        TAPT apt;
        ASSERT_TRUE(PrepareHandOver(apt, recording, 40));
        RecordingDisplay display(apt);
        LogCounts counts;
        std::atomic<bool> inLog{false};
        counts.duringWrite = [&] {  // on the processing thread: waits for the window's stop
            inLog = true;
            QElapsedTimer waited;
            waited.start();
            while (apt.StopFlags == 0 && waited.elapsed() < 10000)
                QThread::msleep(1);
        };
        TSetting settings;
        settings.LogModes = 0x8 | 0x10;
        TAPTThreadSetup setup = ThreadSetup(apt, display, settings);
        setup.MakeLogger = CountingFactory(counts);
        TAPTThread thread(false, std::move(setup));
        ASSERT_TRUE(PumpUntil([&] { return inLog.load(); }));
        EXPECT_TRUE(thread.IsLogBusy()) << "the close query sees the log run";
        thread.Stop(4);
        EXPECT_FALSE(thread.IsLogBusy());
        EXPECT_EQ(counts.writes, 1);
        EXPECT_EQ(counts.uploads, 0);
        EXPECT_FALSE(apt.Flags & aptComplete);
        EXPECT_EQ(display.steps, Steps({"image", "gauge", "status Logging...Please wait!"}));
    }
}

// On a busy PC a nice-19 thread gets about 1/70 of each ordinary process's
// share: minutes for a pass. A recording held in memory is lost when its
// decode starves, so both threads that decode it, the live one and the
// hand-over of its tail, keep the ordinary priority.
TEST(APTThread, ARecordingInMemoryIsDecodedAtTheOrdinaryPriority)
{
    aptgen::PassSpec spec;
    spec.lines = 8;
    const QString path = apttest::WritePass(spec, "priority.wav", 8);
    std::vector<unsigned char> recording = RecordingBytes(path);
    ASSERT_FALSE(recording.empty());
    const int processNice = getpriority(PRIO_PROCESS, 0);

    // The live thread asks the driver for the position on its own thread.
    {
        TAPT apt;
        ASSERT_TRUE(apt.Init("", 0));
        apt.MaxLines = 20;
        apt.WaveHeader.Data = recording.data();
        apt.WaveHeader.BufferLength = static_cast<std::uint32_t>(recording.size());
        std::atomic<int> liveNice{-100};
        apt.WaveIn = [&] {
            liveNice = ThreadNice();
            return 0;  // nothing recorded yet
        };
        RecordingDisplay display(apt);
        TAPTThread thread(false, ThreadSetup(apt, display, TSetting()));
        ASSERT_TRUE(PumpUntil([&] { return liveNice != -100; }));
        thread.Stop(4);
        EXPECT_EQ(liveNice, processNice) << "the live decode";
    }

    // The hand-over runs the log writer on its own thread.
    {
        TAPT apt;
        ASSERT_TRUE(PrepareHandOver(apt, recording, 40));
        RecordingDisplay display(apt);
        LogCounts counts;
        std::atomic<int> handOverNice{-100};
        counts.duringWrite = [&] { handOverNice = ThreadNice(); };
        TSetting settings;
        settings.LogModes = 0x8;
        TAPTThreadSetup setup = ThreadSetup(apt, display, settings);
        setup.MakeLogger = CountingFactory(counts);
        TAPTThread thread(false, std::move(setup));
        thread.WaitFor();
        ASSERT_EQ(counts.writes, 1);
        EXPECT_EQ(handOverNice, processNice) << "the hand-over of the tail";
    }
}

// The recorder's buffer fills while the thread decodes it; the thread never
// reads past the position the sound driver reports. The device is reset
// before the end-of-recording handler runs, and the handler hands the unread
// tail to a second thread: the pass is decoded to its end, once. The test
// moves on by the recorded position and by what the thread has read, never
// by the clock, so a loaded machine only makes it slower.
TEST(APTThread, LiveBufferIsDecodedBehindTheRecorderAndHandedOverAtTheEnd)
{
    aptgen::PassSpec spec;
    spec.lines = 20;
    spec.leadInWords = 500;
    const QString path = apttest::WritePass(spec, "live.wav", 8);
    const std::vector<unsigned char> recorded = RecordingBytes(path);
    ASSERT_GT(recorded.size(), 100000u);
    TAPT reference;
    const int fileRows = apttest::DecodeFile(reference, path);
    ASSERT_GT(fileRows, 15);

    const int windowSeconds = 20;
    std::vector<unsigned char> buffer((windowSeconds + 5) * 11025, 0);  // zeroed, as the recorder makes it
    std::atomic<int> position{0};
    std::atomic<int> positionQueries{0};  // the thread's looks at the driver's position
    int written = 0;  // bytes the "driver" has put into the buffer
    auto record = [&](int upTo) {
        upTo = std::min<int>(upTo, static_cast<int>(recorded.size()));
        std::copy(recorded.begin() + written, recorded.begin() + upTo, buffer.begin() + written);
        written = upTo;
        position.store(written, std::memory_order_release);
    };

    TAPT apt;
    ASSERT_TRUE(apt.Init("", 0));
    apt.MaxLines = 2 * windowSeconds;
    apt.WaveHeader.Data = buffer.data();
    apt.WaveHeader.BufferLength = static_cast<std::uint32_t>(buffer.size());
    apt.WaveIn = [&] {
        ++positionQueries;
        return position.load(std::memory_order_acquire);
    };
    RecordingDisplay display(apt);
    int readPastPosition = 0;
    // Where the thread had read to when it drew its last row: it draws while
    // it waits, so the value is read safely here.
    int readPosAtLastRow = 0;
    display.onLine = [&](const TAPTLinePixels&) {
        readPastPosition += apt.ReadPos > written;
        readPosAtLastRow = apt.ReadPos;
    };
    // The thread has decoded every row the recorded bytes allow and waits:
    // less than the fence is left beyond what it has read.
    auto caughtUp = [&] { return written - readPosAtLastRow < TAPTThread::kLiveFenceBytes; };
    // The thread has looked at the position twice since now: what it saw
    // then, it has acted on.
    auto looksAgain = [&] {
        const int from = positionQueries;
        return PumpUntil([&] { return positionQueries >= from + 2; });
    };
    LogCounts counts;
    auto mainSettings = std::make_unique<TSetting>();
    mainSettings->LogModes = 0x8 | 0x10;  // daily log and upload

    auto live = std::make_unique<TAPTThread>(false, ThreadSetup(apt, display, *mainSettings));
    // One byte short of the fence: the thread looks and waits without decoding.
    record(TAPTThread::kLiveFenceBytes - 1);
    ASSERT_TRUE(looksAgain());
    EXPECT_TRUE(display.rows.empty());
    record(TAPTThread::kLiveFenceBytes);
    ASSERT_TRUE(PumpUntil([&] { return !display.rows.empty(); }));
    // Half a second of audio at a time: the thread decodes what it may and
    // waits for more.
    while (written < static_cast<int>(recorded.size())) {
        record(written + 11025 / 2);
        ASSERT_TRUE(PumpUntil(caughtUp)) << "the thread stopped short of the position at " << written;
    }
    const size_t liveRows = display.rows.size();
    // Every row but those within the fence of the end was decoded live.
    EXPECT_GE(static_cast<int>(liveRows), fileRows - 3);
    EXPECT_EQ(readPastPosition, 0) << "rows are read only behind the reported position";

    // The settings dialog replaces the main window's record meanwhile.
    mainSettings.reset();

    // The stop command resets the device: the position reads 0 and the
    // live thread ends by itself, before the handler comes.
    position = 0;
    ASSERT_TRUE(PumpUntil([&] { return live->Finished(); }));
    EXPECT_EQ(display.rows.size(), liveRows) << "nothing is decoded once the device is reset";
    EXPECT_TRUE(display.steps.empty()) << "a live thread never finishes the pass itself";
    EXPECT_EQ(apt.GetLiveState(), 1) << "the pass still waits for its tail";

    // The end-of-recording handler.
    ASSERT_EQ(live->EndRecording(written), TRecordingEnd::HandOver);
    EXPECT_EQ(live->EndRecording(written), TRecordingEnd::Nothing) << "the end is handled once";
    EXPECT_GT(apt.CopySize, TAPT::kMinLiveTail);
    live.reset();
    std::fill(buffer.begin(), buffer.end(), 0);  // the recorder frees its buffer
    apt.Flags |= aptFromCopy;
    {
        auto handlerSettings = std::make_unique<TSetting>();
        handlerSettings->LogModes = 0x8 | 0x10;
        TAPTThreadSetup setup = ThreadSetup(apt, display, *handlerSettings);
        setup.MakeLogger = CountingFactory(counts);
        handlerSettings.reset();  // the thread reads only its own copy
        TAPTThread handOver(false, std::move(setup));
        handOver.WaitFor();
    }

    EXPECT_GT(display.rows.size(), liveRows) << "the tail was decoded";
    EXPECT_TRUE(InOrder(display.rows)) << "the hand-over continues at the next row";
    EXPECT_GE(static_cast<int>(display.rows.size()), fileRows - 1) << "the last second is not lost";
    const int common = std::min<int>(static_cast<int>(display.rows.size()), fileRows);
    for (int row = 0; row < common; ++row)
        ASSERT_EQ(display.lines[row], std::vector<double>(reference.GetLine(row, 0), reference.GetLine(row, 0) + 2080))
            << "row " << row << " decodes as from the file";
    EXPECT_EQ(display.steps, Steps({"image", "gauge", "status Logging...Please wait!",
                                    "status Uploading Log...Please wait!", "progress", "result"}));
    EXPECT_EQ(counts.writes, 1) << "the log is written once";
    EXPECT_EQ(counts.uploads, 1);
    EXPECT_TRUE(apt.Flags & aptComplete);
    EXPECT_EQ(apt.MaxLines, apt.Lines);
    EXPECT_EQ(display.offGuiThread, 0);
}

TEST(APTThread, EndOfRecordingNeverStopsAThreadThatFinishesThePass)
{
    aptgen::PassSpec spec;
    spec.lines = 24;
    const QString path = apttest::WritePass(spec, "end.wav", 8);
    std::vector<unsigned char> recording = RecordingBytes(path);
    TSetting settings;
    settings.LogModes = 0x8;

    struct Case {
        const char* name;
        std::function<bool(TAPT&)> prepare;
    };
    const Case finishing[] = {
        {"audio file", [&](TAPT& apt) { return apt.Init(path, 0); }},
        {"hand-over", [&](TAPT& apt) { return PrepareHandOver(apt, recording, 40); }},
    };
    for (const auto& c : finishing) {
        TAPT apt;
        ASSERT_TRUE(c.prepare(apt)) << c.name;
        RecordingDisplay display(apt);
        LogCounts counts;
        TAPTThreadSetup setup = ThreadSetup(apt, display, settings);
        setup.MakeLogger = CountingFactory(counts);
        TAPTThread thread(false, std::move(setup));
        EXPECT_EQ(thread.EndRecording(static_cast<int>(recording.size())), TRecordingEnd::Nothing) << c.name;
        thread.WaitFor();
        EXPECT_TRUE(apt.Flags & aptComplete) << c.name;
        EXPECT_EQ(display.steps.back(), "result") << c.name;
        EXPECT_EQ(counts.writes, (apt.Flags & aptLive) ? 1 : 0) << c.name << ": only a live pass is logged";
    }

    // A live decode that filled its line store: the handler finishes in place.
    TAPT apt;
    ASSERT_TRUE(apt.Init("", 0));
    apt.MaxLines = 3;
    apt.WaveHeader.Data = recording.data();
    apt.WaveHeader.BufferLength = static_cast<std::uint32_t>(recording.size());
    apt.WaveIn = [&] { return static_cast<int>(recording.size()); };
    RecordingDisplay display(apt);
    TAPTThread thread(false, ThreadSetup(apt, display, settings));
    ASSERT_TRUE(PumpUntil([&] { return thread.Finished(); }, 10000));
    EXPECT_EQ(display.rows.size(), 3u);
    EXPECT_TRUE(display.steps.empty());
    EXPECT_EQ(thread.EndRecording(static_cast<int>(recording.size())), TRecordingEnd::FinishHere);
    EXPECT_EQ(apt.Lines, 3);
    EXPECT_EQ(apt.MaxLines, 3);
    EXPECT_FALSE(apt.Flags & (aptDecoding | aptComplete));
    EXPECT_TRUE(apt.Flags & aptBuffersFreed);
    EXPECT_EQ(apt.StopFlags, 0);
}

TEST(APTThread, PoorLivePassIsDroppedWithItsRecording)
{
    // 24 lines hold no telemetry frame: the loose check fails.
    aptgen::PassSpec spec;
    spec.lines = 24;
    const QString path = apttest::WritePass(spec, "poor.wav", 8);
    std::vector<unsigned char> recording = RecordingBytes(path);
    for (bool hasPass : {true, false}) {
        SCOPED_TRACE(hasPass ? "with a pass" : "without a pass");
        const QString base = testenv::ProgramDir() + "260101_120000_NOAA_19";
        for (const char* extension : {".wav", ".txt"}) {
            QFile file(base + extension);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        TAPT apt;
        ASSERT_TRUE(PrepareHandOver(apt, recording, 40));
        apt.RawImageName = base + ".gz";
        RecordingDisplay display(apt);
        LogCounts counts;
        TSetting settings;
        settings.LogModes = 0x4 | 0x8;  // drop poor recordings, daily log
        TAPTThreadSetup setup = ThreadSetup(apt, display, settings);
        setup.HasPass = hasPass;
        setup.MakeLogger = CountingFactory(counts);
        TAPTThread thread(false, std::move(setup));
        thread.WaitFor();
        EXPECT_EQ(display.steps, Steps({"gauge", "progress", "result"})) << "no image, no log";
        EXPECT_EQ(counts.made, 0);
        EXPECT_FALSE(QFileInfo::exists(apt.RawImageName)) << "no cache";
        EXPECT_EQ(QFileInfo::exists(base + ".wav"), !hasPass);
        EXPECT_EQ(QFileInfo::exists(base + ".txt"), !hasPass);
        EXPECT_TRUE(apt.Flags & aptComplete);
    }
}
