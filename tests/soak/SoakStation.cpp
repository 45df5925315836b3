// The station of the soak day: the program's main window with its tracker,
// recorder, decoder, daily log and upload, as the program starts it, on the
// day's shared clock. The driver starts it as a process of its own, so it
// can kill it like a power cut and start it again.
//
// Environment (besides the program's own ORVANTA_HOME, ORVANTA_REGISTRY,
// ORVANTA_ALSA_DEVICE and ORVANTA_COM1):
//   SOAK_CLOCK     the shared clock file
//   SOAK_FTP_PORT  the upload server's port
//   SOAK_REPORT    a file the process-information lines and message boxes
//                  are appended to, for the driver to read
//   SOAK_SETUP     set on the first start only: the station's settings are
//                  made (Berlin, automatic recording, decoding while
//                  recording, the daily log and its upload) and stored
//   SOAK_AUDIO     with SOAK_SETUP: the audio folder
//   SOAK_WINDOW_ELEV  with SOAK_SETUP: the elevation (degrees) the recording
//                  window opens and closes at
#include "imaging/ui/MDIChild.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemTime.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "soak/SharedClock.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <clocale>
#include <cstdio>

namespace {

// The settings a station owner would choose for a day left alone.
void SetUpStation(TMainForm& form)
{
    TSetting& s = *form.Settings;
    s.LogModes = 0x1 | 0x2 | 0x8 | 0x10;  // record, decode while recording, daily log, upload
    s.PassModes = 0x3 | 0x10;             // thresholds by elevation, overlap warning
    s.AOSElev = s.LOSElev = qEnvironmentVariableIntValue("SOAK_WINDOW_ELEV");
    s.RIGModes = 0x1;                     // tune to each pass
    s.Host = "127.0.0.1";
    s.UserName = "anonymous";
    s.Password = "station@example.org";
    s.FTPDir = "/pub/html/apt/logs";
    s.BlogTitle = "Berlin APT station";
    s.LogImages.Add(new TLogImage("Normal", 0));
    s.LogImages.Add(new TLogImage("Video B", 2));
    form.PersistSettings(false);
    form.Station.Name = "Berlin";
    form.Station.Latitude = 52.52;
    form.Station.Longitude = -13.40;  // west positive
    form.Station.Altitude = 40;
    form.PersistStation(false);
    form.Rig->Port = 1;
    form.Rig->Radio = 0;
    form.PersistRig(false);
}

// Appends what the station said since the last call: new lines of the
// process-information window, and each message box (answered with its
// first button, as an owner coming by would).
class TReport {
public:
    explicit TReport(const QString& path) : file_(path) { file_.open(QIODevice::Append); }
    void Flush()
    {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            Write({"Box: " + box->windowTitle(), box->text().replace('\n', ' '), ""});
            if (QAbstractButton* button = box->buttons().value(0))
                button->click();
        }
        if (!LogForm)
            return;
        const QStringList lines = LogForm->Lines();
        if (lines.size() > written_)
            Write(lines.mid(written_));
        written_ = lines.size();
    }

private:
    void Write(const QStringList& lines)
    {
        file_.write((lines.join('\n') + '\n').toUtf8());
        file_.flush();
    }
    QFile file_;
    int written_ = 0;
};

// A recorded pass is still being decoded, logged or uploaded.
bool Busy(const TMainForm& form)
{
    if (form.StateFlags & msRecording)
        return false;
    for (TMDIChild* child : form.MDIChildren())
        if (child->APTThread && !child->APTThread->Finished())
            return true;
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    app.setApplicationName("Orvanta");
    soak::TSharedClock clock(qEnvironmentVariable("SOAK_CLOCK"));
    if (!clock.Ok()) {
        std::fprintf(stderr, "no shared clock\n");
        return 2;
    }
    systime::SetClockSource([&clock] { return clock.Now(); });
    TMDIChild::LogFtpPort = qEnvironmentVariable("SOAK_FTP_PORT");
    const bool setUp = qEnvironmentVariableIsSet("SOAK_SETUP");
    if (setUp)
        WriteRegistryString("APT\\Paths", "Audio", qEnvironmentVariable("SOAK_AUDIO"));
    programfolder::InstallShippedFiles(programfolder::ShippedFilesFolder());

    TMainForm form;
    TLogForm logForm(&form);
    form.Rig->SetReplyTiming(150, 2000);
    if (setUp) {
        SetUpStation(form);
        form.RestartTracker(0x200);
        form.RestartTracker(0);
    }
    TReport report(qEnvironmentVariable("SOAK_REPORT"));
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        clock.Beat(Busy(form));
        report.Flush();
        // A finer tracker cycle for the faster clock.
        if (form.TrackThread)
            form.TrackThread->CycleMs = 50;
    });
    beat.start(20);
    // The driver's word to end the day: the window closes as on a user's exit.
    const QString stopFile = qEnvironmentVariable("SOAK_STOP");
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, [&] {
        if (QFile::exists(stopFile)) {
            stop.stop();
            form.close();
            app.quit();
        }
    });
    stop.start(100);
    form.show();
    return app.exec();
}
