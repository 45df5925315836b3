#include "../PassFixtures.h"
#include "ThreadTestSupport.h"
#include "imaging/MagickSupport.h"
#include "imaging/ui/MDIChild.h"
#include "orbit/Sat.h"
#include "platform/ProgramFolder.h"
#include "shell/ui/GraphicLabel.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// Serves the processing thread's calls and the window's events.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 60000)
{
    return threadtest::PumpUntil([&] {
        QApplication::processEvents();
        return done();
    }, timeoutMs);
}

int Grey(const QImage& picture, int x, int y) { return qRed(picture.pixel(x, y)); }

// A window that counts what its processing thread asks of it.
class WatchedChild : public TMDIChild {
public:
    void DrawLine(const TAPTLinePixels& line) override
    {
        rows.push_back(line.Row);
        TMDIChild::DrawLine(line);
    }
    void ShowResult() override
    {
        ++results;
        TMDIChild::ShowResult();
    }
    std::vector<int> rows;
    int results = 0;
};

aptgen::PassSpec ShortPass(int lines)
{
    aptgen::PassSpec spec;
    spec.lines = lines;
    spec.leadInWords = 500;
    return spec;
}

}  // namespace

TEST(MDIChild, DecodesARecordingOnceAndThenLoadsItsCache)
{
    const QString path = apttest::WritePass(ShortPass(40), "pass.wav", 8);
    TAPT reference;
    const int expectedLines = apttest::DecodeFile(reference, path);
    ASSERT_GT(expectedLines, 30);
    const QString cache = testenv::ProgramDir() + "pass.gz";

    {
        WatchedChild child;
        child.show();
        ASSERT_TRUE(child.OpenFile(path));
        EXPECT_TRUE(child.APTThread) << "decoded on the processing thread";
        EXPECT_TRUE(child.LbStatus->isVisible());
        EXPECT_EQ(child.LbStatus->text(), "Decoding");
        ASSERT_TRUE(PumpUntil([&] { return child.View == ivNormal; }));
        EXPECT_EQ(child.results, 1);
        EXPECT_EQ(child.APT->Lines, expectedLines);
        EXPECT_TRUE(std::is_sorted(child.rows.begin(), child.rows.end()));
        EXPECT_EQ(static_cast<int>(child.rows.size()), expectedLines);
        ASSERT_TRUE(child.Image);
        EXPECT_EQ(static_cast<int>(child.Image->rows), expectedLines);
        EXPECT_EQ(child.Image->columns, 2080u);
        EXPECT_EQ(child.windowTitle(), "Normal [" + path + "]");
        EXPECT_FALSE(child.LbStatus->isVisible()) << "the progress panel goes with the result";
        EXPECT_TRUE(child.IsEditable());
        EXPECT_TRUE(QFileInfo::exists(cache)) << "a recording inside the program folder is cached beside it";
    }
    ASSERT_TRUE(QFileInfo::exists(cache)) << "the default settings keep the cache";

    WatchedChild again;
    ASSERT_TRUE(again.OpenFile(path));
    EXPECT_FALSE(again.APTThread) << "the cache is loaded without decoding";
    EXPECT_EQ(again.View, ivNormal);
    EXPECT_EQ(again.APT->Lines, expectedLines);
    EXPECT_TRUE(again.rows.empty());
}

TEST(MDIChild, ARecordingOutsideTheProgramFolderIsCachedInTheRawFolder)
{
    // The program folder's path occurs inside this path, but the file is
    // not inside the program folder.
    const QString folder = QDir::cleanPath(testenv::ProgramDir() + "../elsewhere") + testenv::ProgramDir();
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "pass.wav";
    const std::vector<double> samples = aptgen::Synthesize(ShortPass(12));
    ASSERT_TRUE(aptgen::WriteWav(path.toStdString(), samples, 8));

    WatchedChild child;
    ASSERT_TRUE(child.OpenFile(path));
    ASSERT_TRUE(PumpUntil([&] { return child.View == ivNormal; }));
    EXPECT_EQ(child.APT->RawImageName, testenv::ProgramDir() + "audio/raw/pass.gz");
    EXPECT_TRUE(QFileInfo::exists(testenv::ProgramDir() + "audio/raw/pass.gz"));
    EXPECT_FALSE(QFileInfo::exists(folder + "pass.gz"));
}

TEST(MDIChild, OpensImagesByTheirExtensionOnly)
{
    QDir().mkpath(testenv::ProgramDir());
    struct Case {
        const char* name;
        bool opens;
    };
    const Case cases[] = {{"upper.JPG", true}, {"cache.gz", false}, {"noextension", false}};
    for (const Case& c : cases) {
        const QString path = testenv::ProgramDir() + c.name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("x");
        file.close();
        if (c.opens) {
            EnsureMagickCore();
            QImage picture(8, 4, QImage::Format_RGB32);
            picture.fill(Qt::red);
            ASSERT_TRUE(picture.save(path, "JPG"));
        }
        ModalCatcher boxes;
        TMDIChild child;
        EXPECT_EQ(child.OpenFile(path), c.opens) << c.name;
        if (c.opens) {
            EXPECT_TRUE(child.Flags & mcImageFile);
            EXPECT_EQ(child.DisplayBitmap.size(), QSize(8, 4));
            EXPECT_TRUE(child.IsEditable());
        } else {
            ASSERT_EQ(boxes.Captions.size(), 1) << c.name;
            EXPECT_EQ(boxes.Captions[0], "Unsupported file!");
            EXPECT_EQ(boxes.Texts[0], path);
        }
    }
}

class MDIChildViews : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programfolder::InstallShippedFiles(programfolder::ShippedFilesFolder()).isEmpty());
        passfixture::FillCompletePass(*child.APT, passfixture::CalibratedPass(400));
        child.resize(600, 400);
        child.show();
    }
    TMDIChild child;
};

TEST_F(MDIChildViews, EveryViewRendersFromTheShippedTables)
{
    const int widths[kViewCount] = {2080, 1040, 1040, 1040, 1040, 1040, 1040, 1040};
    for (int view : {1, 2, 3, 4, 5, 6, 7, 0}) {
        ModalCatcher boxes;
        ASSERT_TRUE(child.ShowView(view, 0)) << "view " << view << " " << boxes.Texts.join("|").toStdString();
        EXPECT_EQ(child.View, view);
        EXPECT_EQ(static_cast<int>(child.Image->columns), widths[view]);
        EXPECT_EQ(child.DisplayBitmap.width(), widths[view]);
        EXPECT_TRUE(boxes.Captions.isEmpty());
        EXPECT_TRUE(child.windowTitle().startsWith(GetViewInfo(view)->TitlePrefix));
        // The tables colour the false-colour views.
        int coloured = 0;
        for (int x = 100; x < widths[view]; x += 37)
            coloured += qRed(child.DisplayBitmap.pixel(x, 200)) != qBlue(child.DisplayBitmap.pixel(x, 200));
        EXPECT_EQ(coloured > 0, GetViewInfo(view)->NeedsTable) << "view " << view;
    }
    EXPECT_FALSE(child.ShowView(ivNormal, 0)) << "the view shown is not rendered again";
    EXPECT_TRUE(child.ShowView(ivNormal, vfForce));
}

TEST_F(MDIChildViews, ThermalViewShowsTheSceneTemperature)
{
    ASSERT_TRUE(child.ShowView(ivIRTemperatures, 0));
    // Colder is brighter: the left of the scene (230 K) is light, the right (300 K) dark.
    const int left = Grey(child.DisplayBitmap, 86 + 50, 200);
    const int right = Grey(child.DisplayBitmap, 86 + 850, 200);
    EXPECT_GT(left, right + 60);
}

TEST_F(MDIChildViews, MissingTableOrTelemetryIsReportedAndKeepsThePicture)
{
    ASSERT_TRUE(child.ShowView(ivVideoA, 0));
    const QImage before = child.DisplayBitmap;
    QFile::remove(testenv::ProgramDir() + "config/lut/test_fcab.jpg");
    {
        ModalCatcher boxes;
        EXPECT_FALSE(child.ShowView(ivFalseColour, 0));
        ASSERT_EQ(boxes.Captions.size(), 1);
        EXPECT_EQ(boxes.Captions[0], "Error: No color Lookup table!");
        EXPECT_EQ(boxes.Texts[0], "Lookup table not found!");
    }
    {
        ModalCatcher boxes;
        EXPECT_FALSE(child.ShowView(ivFalseColour, vfSilent));
        EXPECT_TRUE(boxes.Captions.isEmpty()) << "silent";
    }
    child.APT->Flags &= ~(aptCalibrated | aptThermalValid);
    child.APT->Flags |= aptNoTelemetry;
    {
        ModalCatcher boxes;
        EXPECT_FALSE(child.ShowView(ivIRLowTemp, 0));
        ASSERT_EQ(boxes.Captions.size(), 1);
        EXPECT_EQ(boxes.Captions[0], "Error: Not enough telemetry!");
        EXPECT_EQ(boxes.Texts[0], "Not enough telemetry found to calibrate Video B!");
    }
    EXPECT_EQ(child.View, ivVideoA);
    EXPECT_EQ(child.DisplayBitmap, before);
}

TEST_F(MDIChildViews, SavedImagesReadBackThroughMagickCore)
{
    ASSERT_TRUE(child.ShowView(ivVideoB, 0));
    const QImage shown = child.DisplayBitmap;
    for (const char* name : {"saved.png", "saved.jpg"}) {
        const QString path = testenv::ProgramDir() + name;
        ASSERT_TRUE(child.SaveFile(path)) << name;
        EXPECT_EQ(child.FileName, path);
        EXPECT_EQ(child.windowTitle(), path);
        const TDisplayImage read = ReadDisplayImage(path);
        ASSERT_EQ(read.Result, TDisplayImage::Ok) << name;
        ASSERT_EQ(read.Picture.size(), shown.size());
        long long difference = 0;
        int largest = 0;
        for (int y = 0; y < shown.height(); y += 7)
            for (int x = 0; x < shown.width(); x += 5) {
                const int d = std::abs(qRed(read.Picture.pixel(x, y)) - qRed(shown.pixel(x, y)));
                difference += d;
                largest = std::max(largest, d);
            }
        const double mean = double(difference) / ((shown.height() / 7 + 1) * (shown.width() / 5 + 1));
        if (QString(name).endsWith(".png"))
            EXPECT_LE(largest, 1) << "PNG keeps every grey (the writer's grey conversion may round by one)";
        else
            EXPECT_LT(mean, 4.0) << "JPEG within its loss";
    }
    // An existing file is written over only when the user agrees.
    const QString path = testenv::ProgramDir() + "saved.png";
    const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    child.ShowView(ivVideoA, 0);
    {
        ModalCatcher no(QMessageBox::No);
        EXPECT_FALSE(child.SaveFile(path));
        ASSERT_EQ(no.Captions.size(), 1);
        EXPECT_EQ(no.Captions[0], "Confirm overwrite");
    }
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    EXPECT_EQ(file.readAll(), before);
    EXPECT_FALSE(QFileInfo::exists(path + ".tmp"));
}

TEST_F(MDIChildViews, AFailedSaveNamesTheChosenFileAndTheReason)
{
    ASSERT_TRUE(child.ShowView(ivVideoB, 0));
    const QString blocked = testenv::ProgramDir() + "blocked.png";
    ASSERT_TRUE(QDir().mkpath(blocked + ".tmp"));  // the temporary name is taken by a folder
    // The disk fills up part way (here: a file size limit, 0 for none).
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto sizeLimit = [&](rlim_t bytes) {
        rlimit limit = saved;
        if (bytes > 0)
            limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    struct Case { QString path; const char* reason; rlim_t limit; };
    const Case cases[] = {{testenv::ProgramDir() + "no such folder/x.png", "No such file or directory", 0},
                          {blocked, "Is a directory", 0},
                          {testenv::ProgramDir() + "full.png", "File too large", 200}};
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        ModalCatcher boxes;
        sizeLimit(c.limit);
        EXPECT_FALSE(child.SaveFile(c.path));
        sizeLimit(0);
        ASSERT_EQ(boxes.Texts.size(), 1) << boxes.Texts.join('|').toStdString();
        const QStringList lines = boxes.Texts[0].split('\n');
        EXPECT_EQ(lines.value(0), "Unable to write the image!");
        EXPECT_EQ(lines.value(1), c.path);
        EXPECT_TRUE(lines.value(2).contains(c.reason, Qt::CaseInsensitive)) << boxes.Texts[0].toStdString();
        EXPECT_FALSE(boxes.Texts[0].contains(".tmp")) << boxes.Texts[0].toStdString();
        EXPECT_FALSE(QFileInfo::exists(c.path));
    }
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(QDir(testenv::ProgramDir()).entryList({"full.png*"}, QDir::Files), QStringList())
        << "nothing half-written is left";

    // Characters the image library reads as its own options are only part
    // of a folder's name.
    const QString odd = testenv::ProgramDir() + "odd [1] %d/x.png";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(odd).path()));
    ASSERT_TRUE(child.SaveFile(odd));
    EXPECT_EQ(ReadDisplayImage(odd).Result, TDisplayImage::Ok);
}

TEST(MDIChild, LiveRecordingShowsEachLineAsItComesAndFinishesOnce)
{
    const aptgen::PassSpec spec = ShortPass(24);
    const QString wav = apttest::WritePass(spec, "live-source.wav", 8);
    const std::vector<unsigned char> recorded = threadtest::RecordingBytes(wav);
    ASSERT_GT(recorded.size(), 100000u);

    TSat pass;
    std::strcpy(pass.Name, "NOAA 18");
    pass.Downlink = "137.9125";
    pass.Northbound = 0;
    pass.FileBaseName = "170501_140000_NOAA_18";
    pass.WindowStart = 13636.5;
    pass.WindowStop = pass.WindowStart + 20.0 / 86400;

    std::vector<unsigned char> buffer((20 + 5) * 11025, 0);
    std::atomic<int> position{0};
    int written = 0;
    auto record = [&](int upTo) {
        upTo = std::min<int>(upTo, static_cast<int>(recorded.size()));
        std::copy(recorded.begin() + written, recorded.begin() + upTo, buffer.begin() + written);
        written = upTo;
        position = written;
    };
    TLiveRecording source;
    source.Position = [&] { return position.load(); };
    source.Header.Data = buffer.data();
    source.Header.BufferLength = static_cast<std::uint32_t>(buffer.size());

    WatchedChild child;
    child.show();
    ASSERT_TRUE(child.StartRecording(&pass, testenv::ProgramDir() + "audio", source));
    EXPECT_EQ(child.Flags & (mcLive | mcRecording), mcLive | mcRecording);
    EXPECT_EQ(child.windowTitle(), "Recording NOAA 18 Southbound on 137.9125 MHz");
    EXPECT_EQ(child.LbPayload->text(), "40 Lines");
    EXPECT_EQ(child.FileName, testenv::ProgramDir() + "audio/170501_140000_NOAA_18.wav");
    EXPECT_EQ(child.DisplayBitmap.size(), QSize(2080, 40));

    int mismatches = 0;
    while (written < static_cast<int>(recorded.size())) {
        record(written + 11025 / 2);
        threadtest::PumpFor(150);
        // Every row drawn so far shows its line as the engine holds it.
        for (int row : child.rows) {
            // Drawn with the default enhancement: brightness 130, saturation 180.
            const double v = child.APT->GetLine(row, 0)[1500];
            std::uint8_t r = v <= 0 ? 0 : v >= 255 ? 255 : static_cast<std::uint8_t>(v), g = r, b = r;
            ModulatePixel(130, 180, 100, r, g, b);
            mismatches += Grey(child.DisplayBitmap, 1500, row) != r;
        }
    }
    // The live decode goes at its own pace on a loaded machine: wait until it
    // has drawn every line of the recording but the last one or two, which
    // wait for samples after them.
    TAPT reference;
    const int lines = apttest::DecodeFile(reference, wav);
    ASSERT_GT(lines, 20);
    EXPECT_TRUE(PumpUntil([&] { return static_cast<int>(child.rows.size()) >= lines - 2; }, 60000))
        << child.rows.size() << " of " << lines << " lines drawn";
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(child.results, 0) << "the live decode waits for the end of the recording";

    // The recorder stops: the device is reset and the buffer handed back.
    position = 0;
    ASSERT_TRUE(PumpUntil([&] { return child.APTThread->Finished(); }, 5000));
    ASSERT_EQ(child.APTThread->EndRecording(written), TRecordingEnd::HandOver);
    child.DecodeFromMemory();
    EXPECT_FALSE(child.Flags & mcRecording);
    ASSERT_TRUE(PumpUntil([&] { return child.View == ivNormal; }));
    threadtest::PumpFor(200);
    EXPECT_EQ(child.results, 1) << "the pass is finished once";
    for (size_t k = 0; k < child.rows.size(); ++k)
        ASSERT_EQ(child.rows[k], static_cast<int>(k)) << "lines in order";
    EXPECT_NEAR(child.APT->Lines, lines, 1);
    EXPECT_TRUE(child.Flags & mcLive) << "a finished live window stays the live window until taken";
}

TEST(MDIChild, AModifiedWindowAsksBeforeClosing)
{
    EnsureMagickCore();
    const QString path = testenv::ProgramDir() + "picture.png";
    QDir().mkpath(testenv::ProgramDir());
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(path));
    QPointer<TMDIChild> child = new TMDIChild;
    ASSERT_TRUE(child->OpenFile(path));
    child->show();
    child->Flags |= mcModified;
    {
        ModalCatcher yes(QMessageBox::Yes);
        EXPECT_FALSE(child->close());
        ASSERT_EQ(yes.Captions.size(), 1);
        EXPECT_EQ(yes.Captions[0], "File needs to be saved. Save?");
        EXPECT_EQ(yes.Texts[0], child->windowTitle());
    }
    ASSERT_TRUE(child);
    {
        ModalCatcher no(QMessageBox::No);
        EXPECT_TRUE(child->close());
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(child) << "closed and deleted";
}
