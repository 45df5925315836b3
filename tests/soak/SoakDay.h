#pragma once
// A day at the station, run for a test: the station process (SoakStation)
// with its program folder, registry and audio folder in a temporary place,
// the 2021 element file as its catalogue, the simulated R2FX receiver on a
// pseudo-terminal, the sky's audio through ALSA's file device, vsftpd on
// loopback as the web log's server, and the shared clock running fast
// (slower around each pass). The driver knows the day's passes from the
// program's own next-pass choice, plays the faults it is given at their
// passes, and afterwards tells, pass by pass, what the station left.
#include "orbit/Sat.h"
#include "soak/AudioFeeder.h"
#include "soak/SharedClock.h"

#include <QDateTime>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <map>
#include <memory>
#include <vector>

class TR2FXSimulator;
namespace peertest {
class VsftpdServer;
}

namespace soak {

enum class TFault {
    None,
    FtpDown,   // the server is gone from before this pass until after the next one
    PortGone,  // the receiver's port is missing when this pass is tuned
    Noise,     // this pass's audio is pure noise
    Kill,      // the station is killed (SIGKILL) halfway through recording this pass, then started again
    DiskFull,  // the audio folder is full for this pass
};
const char* FaultName(TFault fault);

struct TExpectedPass {
    QString Name;
    double AOS = 0, LOS = 0, WindowStart = 0, WindowStop = 0;  // day numbers
    double DownlinkMHz = 0;
    double FollowedBeforeLOS = 0;  // the set of the pass the tracker follows before this one (0: none)
    TFault Fault = TFault::None;
};

// What the station left of one pass.
struct TPassResult {
    double TunedMHzBeforeRise = 0;
    QStringList Wavs;       // recordings of the pass (full paths), in name order
    bool WavMatchesSky = false;  // the (last) recording holds exactly the bytes the sky sent
    int FilledIn = 0;            // zeros the device put into it where it found the sky short
    bool PassInfo = false;  // each recording has its pass-information file
    int Products = 0;       // images of the pass on the day's page
    int PageEntries = 0;    // entries naming the pass's start on its day's page
    int FeedItems = 0;
    int TunerErrors = 0;    // "Tuner error" reports naming the satellite after its choice
};

struct TResources {
    qint64 RssKb = 0;
    int Descriptors = 0;
    int Threads = 0;
};

struct TSoakOptions {
    QDateTime StartUtc;                 // the clock's start
    int Passes = 3;                     // how many of the day's passes to run through
    bool CrossMidnight = false;         // run on to the first pass of the next UTC day
    std::map<int, TFault> Faults;       // by pass index
    int SlowSpeed = 60;                 // around a pass
    int FastSpeed = 1200;               // between passes
    int WindowElevationDeg = 10;        // the recording window opens and closes here
};

class TSoakDay {
public:
    explicit TSoakDay(TSoakOptions options);
    ~TSoakDay();

    // Empty when the day could be set up; otherwise why not.
    QString Prepare();
    // Runs the day; empty on success, otherwise what went wrong with the run
    // itself (the station died, the clock stood still).
    QString Run();

    const std::vector<TExpectedPass>& Expected() const { return expected_; }
    TPassResult ResultOf(int pass);
    // Entries on the day's page once the pass was processed.
    int PageEntriesAfter(int pass) const;

    // Directories and files of the station.
    QString AudioDir() const { return audio_; }
    QString DailyDir() const;
    QString ServerDailyDir() const;
    QStringList Report() const;  // the process-information lines and boxes
    QString StationErrors() const { return stationErrors_; }  // sanitizer reports
    // Every STOR of every server, split at each midnight UTC of the clock:
    // a new day's page numbers its images from 000 again, so a name may come
    // back on a later day.
    QList<QStringList> StoredOnServerByDay() const;
    // Files of the daily folder that differ from (or are missing on) the server.
    QStringList NotOnServer() const;
    QStringList PartialFiles() const;  // temporaries left beside final names
    QByteArray PendingUploads() const;

    // Copies the day's daily folder (as the station has it) to folder, for a look.
    bool KeepFolders(const QString& folder) const;

    // After the first pass the running station processed (the one started
    // again after a kill has its own), and after the last.
    TResources AfterFirstPass() const { return afterFirst_; }
    TResources AfterLastPass() const { return afterLast_; }
    int Restarts() const { return restarts_; }
    // Registry and earlier files as they were before the kill, and after.
    bool SurvivedKill() const { return survivedKill_; }
    QString KillReport() const { return killReport_; }
    qint64 FillerBytes() const { return fillerBytes_; }  // written to fill the disk

private:
    QString StartStation(bool setUp);
    QString StopStation();
    void ListExpectedPasses(const QString& elementFile);
    bool InSlowSpan(qint64 ms) const;
    TFeedSession Sky(qint64 ms);
    TResources Measure() const;
    void PlayFaults(qint64 now, std::vector<bool>& done);
    void FreezeForKill(const TFeedSession& session);
    bool StartServer();
    QStringList Snapshot(const QStringList& folders) const;

    TSoakOptions options_;
    QTemporaryDir root_;
    QString audio_, program_, registry_, ftpRoot_, com1_;
    int ftpPort_ = 0;
    bool tmpfsAudio_ = false;
    std::unique_ptr<TSharedClock> clock_;
    std::unique_ptr<TR2FXSimulator> receiver_;
    std::unique_ptr<peertest::VsftpdServer> server_;
    QStringList stored_;
    QList<int> dayStarts_;  // the number of STORs made before each new UTC day
    std::unique_ptr<TAudioFeeder> feeder_;
    std::unique_ptr<QProcess> station_;
    qint64 fillerBytes_ = 0;
    std::vector<TExpectedPass> expected_;
    std::vector<double> tunedBeforeRise_;
    // The day's page and feed as they were once each pass was processed.
    struct TLogState {
        QByteArray Page, Feed;
        int Images = 0;
    };
    std::vector<TLogState> logAfter_;
    TLogState LogState() const;
    std::map<int, std::vector<std::uint8_t>> loops_;
    std::vector<std::uint8_t> noise_;
    QString stationErrors_;
    TResources afterFirst_, afterLast_;
    int restarts_ = 0;
    int baselinePass_ = 0;  // the pass after which the resources are first measured: one the station decoded
    std::atomic<qint64> stationPid_{0};
    std::atomic<bool> frozenForKill_{false};  // the station stopped (SIGSTOP) for the kill
    bool survivedKill_ = false;
    QString killReport_;
};

}  // namespace soak
