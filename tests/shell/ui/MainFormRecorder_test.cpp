// The main window's recorder through the real ALSA capture path: the record
// and stop commands, the buffer the window length asks for, the WAV and the
// pass-information file beside it, a failed WAV write, and a shutdown in the
// middle of a recording.
#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "platform/SystemTime.h"
#include "platform/TickCount.h"
#include "imaging/ui/MDIChild.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "support/AlsaCaptureFixture.h"
#include "support/ModalCatcher.h"

#include <QAction>
#include <QDirIterator>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

using namespace alsafixture;

namespace {

const QDateTime kNow(QDate(2021, 11, 1), QTime(10, 0, 0), Qt::UTC);

// A clock standing at kNow, put back when the test ends.
struct FixedClock {
    FixedClock() { systime::SetClockSource([] { return kNow; }); }
    ~FixedClock() { systime::SetClockSource({}); }
};

TSat* MakePass(int windowSeconds)
{
    auto* sat = new TSat;
    char name[] = "NOAA 18";
    EXPECT_TRUE(sat->ParseTLE(name, "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
                              "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778"));
    const double now = DateTimeToDayNumber(LocalToUTC(0));
    sat->AOS = sat->WindowStart = now;
    sat->WindowStop = sat->LOS = now + windowSeconds / 86400.0;
    sat->Scheduled = 1;
    return sat;
}

QString ExpectedFolder(const TMainForm& form)
{
    QString dated;
    TAppFolders::MakeDatedPath(form.Folders().GetAudioDir(), QDateTime(kNow.date(), kNow.time()), dated);
    return dated;
}

struct WavFile {
    QByteArray bytes;
    quint32 U32(int at) const
    {
        quint32 v;
        std::memcpy(&v, bytes.constData() + at, 4);
        return v;
    }
    quint16 U16(int at) const
    {
        quint16 v;
        std::memcpy(&v, bytes.constData() + at, 2);
        return v;
    }
};

WavFile ReadWav(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return {f.readAll()};
}

// Checks the WAV's layout and that its samples are the source's first bytes.
void ExpectWavOf(const QString& path, const std::vector<std::uint8_t>& source, quint32 expectedBytes)
{
    const WavFile wav = ReadWav(path);
    ASSERT_GE(wav.bytes.size(), 46) << path.toStdString();
    const quint32 n = wav.U32(42);
    EXPECT_EQ(n, expectedBytes);
    EXPECT_EQ(wav.bytes.left(4), "RIFF");
    EXPECT_EQ(wav.U32(4), 38 + n + (n & 1));
    EXPECT_EQ(wav.bytes.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(wav.U32(16), 18u);
    EXPECT_EQ(wav.U16(20), 1);
    EXPECT_EQ(wav.U16(22), 1);
    EXPECT_EQ(wav.U32(24), 11025u);
    EXPECT_EQ(wav.U32(28), 11025u);
    EXPECT_EQ(wav.U16(32), 1);
    EXPECT_EQ(wav.U16(34), 8);
    EXPECT_EQ(wav.bytes.mid(38, 4), "data");
    ASSERT_EQ(wav.bytes.size(), qsizetype(46 + n + (n & 1)));
    ASSERT_LE(n, source.size());
    EXPECT_EQ(std::memcmp(wav.bytes.constData() + 46, source.data(), n), 0) << "the samples are the captured bytes";
    if (n & 1) {
        EXPECT_EQ(wav.bytes.back(), '\0') << "pad byte";
    }
}

QStringList FilesUnder(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next().section('/', -1);
    out.sort();
    return out;
}

}  // namespace

TEST(MainFormRecorder, AWindowOfAtLeastSixtySecondsRecordsAFullBufferIntoAWav)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> source = KnownSamples(70 * 11025);
    ASSERT_TRUE(UseCaptureFile(WriteBytes(dir.filePath("pass.u8"), source)));
    FixedClock clock;
    ModalCatcher boxes;
    TMainForm form;
    EXPECT_FALSE(form.StateFlags & msRecordingUnsupported) << boxes.Texts.join('|').toStdString();
    form.Settings->LogModes = 0;  // no live window
    const QString audio = form.Folders().GetAudioDir();

    // Stop with nothing recording only takes the pass off the schedule.
    form.NextPass = MakePass(59);
    form.StopButtonClick();
    EXPECT_EQ(form.NextPass->Scheduled, 0);

    // 59 seconds are refused without a trace.
    form.NextPass->Scheduled = 1;
    form.RecButtonClick();
    EXPECT_FALSE(form.StateFlags & msRecording);
    EXPECT_FALSE(form.WaveIn.IsOpen());
    EXPECT_EQ(form.NextPass->Scheduled, 0);
    EXPECT_TRUE(FilesUnder(audio).isEmpty());
    delete form.NextPass;

    // 60 seconds: (60 + 5) x 11025 bytes, filled by the capture and written.
    form.NextPass = MakePass(60);
    systime::SetTickSource([] { return 4000000000u; });
    form.RecButtonClick();
    systime::SetTickSource({});
    ASSERT_TRUE(form.StateFlags & msRecording) << boxes.Texts.join('|').toStdString();
    EXPECT_EQ(form.RecordStartTick, 4000000000u) << "the tick count at the start";
    EXPECT_EQ(form.WaveHeader.BufferLength, 716625u);
    EXPECT_EQ(form.NextPass->Scheduled, 1);
    EXPECT_FALSE(form.CanRecord());
    EXPECT_FALSE(form.RecButton->isEnabled());
    EXPECT_TRUE(form.StopButton->isEnabled());
    ASSERT_TRUE(form.RecSat);
    const QString base = form.NextPass->FileBaseName;
    EXPECT_EQ(base, "211101_100000_NOAA_18");
    EXPECT_TRUE(QFile::exists(ExpectedFolder(form) + "/" + base + ".txt")) << "written at the start";

    ASSERT_TRUE(PumpUntil([&] { return !form.WaveIn.IsOpen(); }, 20000)) << "the full buffer comes back";
    ExpectWavOf(ExpectedFolder(form) + "/" + base + ".wav", source, 716625);
    EXPECT_EQ(FilesUnder(audio), QStringList({base + ".txt", base + ".wav"}));
    EXPECT_EQ(form.WaveDataBytes, 716625u);
    EXPECT_FALSE(form.WaveBuffer);
    EXPECT_FALSE(form.RecSat);
    EXPECT_TRUE(form.CanRecord());
    EXPECT_TRUE(form.RecButton->isEnabled());
    EXPECT_FALSE(form.StopButton->isEnabled());
    EXPECT_EQ(form.NextPass->Scheduled, 0);
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join('|').toStdString();
    form.close();
}

TEST(MainFormRecorder, AnEarlyStopWritesExactlyTheRecordedBytes)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> source = KnownSamples(4 * 1024 * 1024);
    FifoFeeder feeder(dir.filePath("feed"), source);
    ASSERT_TRUE(feeder.Ok());
    ASSERT_TRUE(UseCaptureFile(dir.filePath("feed")));
    FixedClock clock;
    ModalCatcher boxes;
    TMainForm form;
    form.Settings->LogModes = 0;
    form.NextPass = MakePass(600);
    form.RecButtonClick();
    ASSERT_TRUE(form.StateFlags & msRecording);
    ASSERT_TRUE(PumpUntil([&] { return form.WaveIn.PositionBytes() > 30000; }, 10000));
    form.StopButton->trigger();
    EXPECT_FALSE(form.StateFlags & msRecording);
    ASSERT_TRUE(PumpUntil([&] { return !form.WaveIn.IsOpen(); }, 10000));
    const QString wav = ExpectedFolder(form) + "/211101_100000_NOAA_18.wav";
    const quint32 n = ReadWav(wav).U32(42);
    EXPECT_GT(n, 30000u);
    EXPECT_LT(n, 605u * 11025) << "stopped long before the buffer was full";
    ExpectWavOf(wav, source, n);
    form.close();
}

TEST(MainFormRecorder, AFailedWavWriteIsReportedAndLeavesNoFile)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> source = KnownSamples(70 * 11025);
    ASSERT_TRUE(UseCaptureFile(WriteBytes(dir.filePath("pass.u8"), source)));
    FixedClock clock;
    ModalCatcher boxes;
    TMainForm form;
    TLogForm log(&form);
    form.Settings->LogModes = 0;
    // A folder where the WAV should go: it can be neither deleted nor replaced.
    const QString wav = ExpectedFolder(form) + "/211101_100000_NOAA_18.wav";
    ASSERT_TRUE(QDir().mkpath(wav + "/inside"));
    boxes.Texts.clear();
    boxes.Captions.clear();

    form.NextPass = MakePass(60);
    form.RecButtonClick();
    ASSERT_TRUE(form.StateFlags & msRecording);
    ASSERT_TRUE(PumpUntil([&] { return !form.WaveIn.IsOpen(); }, 20000));
    ASSERT_EQ(boxes.Texts.size(), 2);
    EXPECT_EQ(boxes.Texts[0], "Error unable to delete wav-file!");
    EXPECT_TRUE(boxes.Texts[1].startsWith("Error creating wav-file!\n")) << boxes.Texts[1].toStdString();
    EXPECT_EQ(boxes.Captions[1], "Error Message");
    EXPECT_TRUE(log.Lines().join('\n').contains("Error creating wav-file!"));
    EXPECT_TRUE(QFileInfo(wav).isDir()) << "what was there stays";
    EXPECT_EQ(FilesUnder(ExpectedFolder(form)), QStringList({"211101_100000_NOAA_18.txt"}))
        << "no partial WAV beside it";
    EXPECT_FALSE(form.WaveBuffer) << "freed after the write, once";
    EXPECT_TRUE(form.CanRecord());
    form.close();
}

TEST(MainFormRecorder, AShutdownDuringARecordingDiscardsItAndFreesEverythingOnce)
{
    QTemporaryDir dir;
    FifoFeeder feeder(dir.filePath("feed"), KnownSamples(4 * 1024 * 1024));
    ASSERT_TRUE(feeder.Ok());
    ASSERT_TRUE(UseCaptureFile(dir.filePath("feed")));
    FixedClock clock;
    ModalCatcher boxes;
    TMainForm form;
    form.Settings->LogModes = 0;
    form.NextPass = MakePass(600);
    form.RecButtonClick();
    ASSERT_TRUE(form.StateFlags & msRecording);
    ASSERT_TRUE(PumpUntil([&] { return form.WaveIn.PositionBytes() > 10000; }, 10000));

    form.ShutdownPause = [](int) {};
    form.show();
    form.close();
    const QStringList steps = form.ShutdownStepsShown;
    for (const char* step : {"Terminating recorder", "Terminating the tracker", "Destroying wave buffer",
                             "Destroying RecSat"})
        EXPECT_TRUE(steps.contains(step)) << step;
    EXPECT_LT(steps.indexOf("Terminating recorder"), steps.indexOf("Terminating the tracker"));
    EXPECT_LT(steps.indexOf("Destroying wave buffer"), steps.indexOf("Terminating the clock"));
    EXPECT_LT(steps.indexOf("Terminating the clock"), steps.indexOf("Destroying RecSat"));
    EXPECT_FALSE(form.WaveBuffer);
    EXPECT_FALSE(form.RecSat);
    EXPECT_EQ(form.NextPass, nullptr);
    PumpMessages(200);  // a buffer message still on its way frees nothing twice
    EXPECT_EQ(FilesUnder(form.Folders().GetAudioDir()), QStringList({"211101_100000_NOAA_18.txt"}))
        << "no WAV for a discarded recording";
}

TEST(MainFormRecorder, ALiveWindowDecodesWhileRecordingAndTheWavIsWrittenBeforeTheBufferGoes)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> source = KnownSamples(70 * 11025);
    ASSERT_TRUE(UseCaptureFile(WriteBytes(dir.filePath("pass.u8"), source)));
    FixedClock clock;
    ModalCatcher boxes;
    TMainForm form;
    form.Settings->LogModes = 0x2;  // decode while recording
    form.NextPass = MakePass(60);
    form.RecButtonClick();
    ASSERT_TRUE(form.StateFlags & msRecording);
    EXPECT_FALSE(form.RecSat) << "the live window keeps the pass";
    TMDIChild* live = form.FindMDIChild(0x1);
    ASSERT_NE(live, nullptr);
    EXPECT_TRUE(live->Flags & mcRecording);

    ASSERT_TRUE(PumpUntil([&] { return !form.WaveIn.IsOpen(); }, 20000));
    EXPECT_FALSE(live->Flags & mcRecording);
    EXPECT_FALSE(form.WaveBuffer);
    ExpectWavOf(ExpectedFolder(form) + "/211101_100000_NOAA_18.wav", source, 716625);
    EXPECT_TRUE(QFile::exists(ExpectedFolder(form) + "/211101_100000_NOAA_18.txt"));
    form.ShutdownPause = [](int) {};
    form.close();
}
