#include "soak/SoakDay.h"

#include "orbit/Catalogue.h"
#include "orbit/Satutil.h"
#include "peers/VsftpdServer.h"
#include "platform/Messages.h"
#include "shell/Setting.h"
#include "support/R2FXSimulator.h"
#include "support/TestEnv.h"
#include "soak/PassAudio.h"
#include "tracking/NextPassChoice.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace soak {

namespace {

constexpr char kElementFile[] = "tle/weather-2021-10-31-no-final-newline.txt";
constexpr double kSecond = 1 / 86400.0;
constexpr qint64 kBeforeRiseMs = 3 * 60 * 1000;   // slow from this long before a rise
constexpr qint64 kAfterSetMs = 3 * 60 * 1000;     // until this long after the pass set
constexpr qint64 kStaleBeatMs = 150;              // a station this long silent holds the clock
constexpr qint64 kMsPerDay = 86400LL * 1000;
constexpr qint64 kTmpfsBytes = 384LL << 20;

struct TAptSat {
    const char* Name;
    const char* Downlink;
};
const TAptSat kAptSats[] = {{"NOAA 15", "137.62"}, {"NOAA 18", "137.9125"}, {"NOAA 19", "137.1"}};

// Day numbers count days since 31 December 1979, 0:00 UTC.
const qint64 kDayZeroMs = QDateTime(QDate(1979, 12, 31), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
qint64 MsOf(double day)
{
    return kDayZeroMs + std::llround(day * 86400000.0);
}
double DayOf(qint64 ms)
{
    return double(ms - kDayZeroMs) / 86400000.0;
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FilesUnder(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    out.sort();
    return out;
}

// The settings the station is set up with (SoakStation.cpp), as far as the choice reads them.
TSetting StationSettings(int windowElevationDeg)
{
    TSetting s;
    s.AOSElev = s.LOSElev = windowElevationDeg;
    s.LogModes = 0x1 | 0x2 | 0x8 | 0x10;
    s.PassModes = 0x3 | 0x10;
    s.RIGModes = 0x1;
    return s;
}

TStation Berlin()
{
    TStation s;
    s.Name = "Berlin";
    s.Latitude = 52.52;
    s.Longitude = -13.40;
    s.Altitude = 40;
    return s;
}

}  // namespace

const char* FaultName(TFault fault)
{
    switch (fault) {
    case TFault::None: return "";
    case TFault::FtpDown: return "server down";
    case TFault::PortGone: return "receiver port gone";
    case TFault::Noise: return "noise only";
    case TFault::Kill: return "killed";
    case TFault::DiskFull: return "disk full";
    }
    return "";
}

TSoakDay::TSoakDay(TSoakOptions options) : options_(std::move(options))
{
    // For a look at what the station left after a run that went wrong.
    if (qEnvironmentVariableIsSet("SOAK_KEEP_ROOT")) {
        root_.setAutoRemove(false);
        std::fprintf(stderr, "soak: the day's folders are in %s\n", qPrintable(root_.path()));
    }
}

TSoakDay::~TSoakDay()
{
    if (station_ && station_->state() != QProcess::NotRunning) {
        station_->kill();
        station_->waitForFinished(10000);
    }
    feeder_.reset();
    if (tmpfsAudio_)
        ::umount2(QFile::encodeName(audio_).constData(), MNT_DETACH);
}

QString TSoakDay::Prepare()
{
    if (!root_.isValid())
        return "no temporary folder";
    const QString elements = testenv::SharedDataPath(kElementFile);
    if (elements.isEmpty())
        return QString("missing ") + kElementFile;
    std::signal(SIGPIPE, SIG_IGN);  // the sky's FIFO closes under the feeder

    QDir root(root_.path());
    for (const char* sub : {"home", "program/config", "audio", "ftp"})
        root.mkpath(sub);
    program_ = root.filePath("program");
    registry_ = root.filePath("registry.reg");
    audio_ = root.filePath("audio");
    ftpRoot_ = root.filePath("ftp");
    for (const auto& [pass, fault] : options_.Faults)
        if (fault == TFault::DiskFull && !tmpfsAudio_) {
            const QByteArray size = "size=" + QByteArray::number(kTmpfsBytes);
            if (::mount("tmpfs", QFile::encodeName(audio_).constData(), "tmpfs", 0, size.constData()) != 0)
                return "cannot mount a small folder for the full disk: " + QString::fromLocal8Bit(std::strerror(errno));
            tmpfsAudio_ = true;
        }

    // The catalogue: the element file with the three NOAA satellites as active APT satellites.
    if (!QFile::copy(elements, program_ + "/config/sattrack.tle"))
        return "cannot copy the element file";
    QFile db(program_ + "/config/sattrack.db");
    if (!db.open(QIODevice::WriteOnly))
        return "cannot write the satellite database";
    for (const TAptSat& sat : kAptSats)
        db.write(QString("[%1]\nWeather\n%2\n1\n1\n").arg(sat.Name, sat.Downlink).toLatin1());
    db.close();
    ListExpectedPasses(elements);
    if (expected_.empty())
        return "no pass to record";

    clock_ = std::make_unique<TSharedClock>(root.filePath("clock"));
    if (!clock_->Ok())
        return "no shared clock";
    clock_->Set(options_.StartUtc);

    receiver_ = std::make_unique<TR2FXSimulator>();
    com1_ = root.filePath("com1");
    if (!QFile::link(receiver_->Line().Terminal(), com1_))
        return "cannot link the receiver's port";

    QFile rc(root.filePath("home/.asoundrc"));
    if (!rc.open(QIODevice::WriteOnly))
        return "cannot write .asoundrc";
    rc.write(QString("pcm.sky {\n  type file\n  slave.pcm \"null\"\n  file \"/dev/null\"\n"
                     "  infile \"%1\"\n  format \"raw\"\n}\n")
                 .arg(root.filePath("sky"))
                 .toUtf8());
    rc.close();
    noise_ = NoiseLoop();
    for (std::size_t i = 0; i < expected_.size(); ++i)
        loops_[int(i)] = PassLoop(int(i) + 1);
    feeder_ = std::make_unique<TAudioFeeder>(
        root.filePath("sky"), *clock_, [this](qint64 ms) { return Sky(ms); },
        [this](const TFeedSession& session) { FreezeForKill(session); });
    if (!feeder_->Ok())
        return "cannot make the sky's FIFO";
    if (!StartServer())
        return "vsftpd did not start";
    ftpPort_ = server_->Port();
    return {};
}

bool TSoakDay::StartServer()
{
    server_ = std::make_unique<peertest::VsftpdServer>(ftpRoot_);
    peertest::VsftpdOptions options;
    options.port = ftpPort_;
    return server_->Start(options).isEmpty();
}

void TSoakDay::ListExpectedPasses(const QString& elements)
{
    TSatelliteList catalogue;
    LoadTLEFile(elements, program_ + "/config/sattrack.db", QString(), &catalogue, nullptr);
    TStation station = Berlin();
    const TSetting settings = StationSettings(options_.WindowElevationDeg);
    const QDate firstDay = options_.StartUtc.date();
    double now = DayOf(options_.StartUtc.toMSecsSinceEpoch());
    double followedLOS = 0;  // the tracker follows unscheduled passes too, and tunes to them
    while (expected_.size() < 40) {
        TNextPassChoice choice = ChooseNextPass(catalogue, &station, settings, TSat::DayNumberToDateTime(now));
        if (!choice.Pass)
            break;
        const TSat& pass = *choice.Pass;
        now = pass.LOS + 30 * kSecond;
        const double previousLOS = std::exchange(followedLOS, pass.LOS);
        if (!pass.Scheduled)
            continue;
        TExpectedPass e;
        e.Name = QString::fromLatin1(pass.Name);
        e.AOS = pass.AOS;
        e.LOS = pass.LOS;
        e.WindowStart = pass.WindowStart;
        e.WindowStop = pass.WindowStop;
        e.DownlinkMHz = QString(pass.Downlink).toDouble();
        e.FollowedBeforeLOS = previousLOS;
        const auto fault = options_.Faults.find(int(expected_.size()));
        if (fault != options_.Faults.end())
            e.Fault = fault->second;
        expected_.push_back(e);
        const bool nextDay = QDateTime::fromMSecsSinceEpoch(MsOf(pass.AOS), Qt::UTC).date() > firstDay;
        if (options_.CrossMidnight ? nextDay : int(expected_.size()) >= options_.Passes)
            break;
    }
    tunedBeforeRise_.assign(expected_.size(), 0);
    logAfter_.assign(expected_.size(), {});
}

TSoakDay::TLogState TSoakDay::LogState() const
{
    TLogState s;
    s.Page = Read(DailyDir() + "/index.html");
    s.Feed = Read(DailyDir() + "/daily_apt_blog.xml");
    s.Images = int(QDir(DailyDir() + "/images").entryList(QDir::Files).size());
    return s;
}

bool TSoakDay::InSlowSpan(qint64 ms) const
{
    for (const TExpectedPass& e : expected_)
        if (ms >= MsOf(e.AOS) - kBeforeRiseMs && ms <= MsOf(e.LOS) + kAfterSetMs)
            return true;
    return false;
}

TFeedSession TSoakDay::Sky(qint64 ms)
{
    TFeedSession session;
    for (std::size_t i = 0; i < expected_.size(); ++i) {
        const TExpectedPass& e = expected_[i];
        if (ms < MsOf(e.AOS) - 5 * 60000 || ms > MsOf(e.LOS) + 5 * 60000)
            continue;
        session.Pass = int(i);
        session.Loop = e.Fault == TFault::Noise ? &noise_ : &loops_[int(i)];
        session.Offset = std::size_t(std::max<qint64>(0, ms - MsOf(e.AOS)) * kSampleRate / 1000);
        break;
    }
    return session;
}

TResources TSoakDay::Measure() const
{
    TResources r;
    if (!station_ || station_->state() == QProcess::NotRunning)
        return r;
    const QString proc = QString("/proc/%1").arg(station_->processId());
    for (const QByteArray& line : Read(proc + "/status").split('\n')) {
        if (line.startsWith("VmRSS:"))
            r.RssKb = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        else if (line.startsWith("Threads:"))
            r.Threads = line.mid(8).trimmed().toInt();
    }
    r.Descriptors = int(QDir(proc + "/fd").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
    return r;
}

QString TSoakDay::StartStation(bool setUp)
{
    QDir root(root_.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", root.filePath("home"));
    env.insert("ORVANTA_HOME", program_);
    env.insert("ORVANTA_REGISTRY", registry_);
    env.insert("XDG_CONFIG_HOME", root.filePath("home/config"));
    env.insert("XDG_RUNTIME_DIR", root.filePath("home"));
    env.insert("ORVANTA_ALSA_DEVICE", "sky");
    env.insert("ORVANTA_COM1", com1_);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("MAGICK_THREAD_LIMIT", "1");
    env.insert("OMP_NUM_THREADS", "1");
    // A small quarantine: the sanitizer's own memory would hide the station's.
    env.insert("ASAN_OPTIONS", "quarantine_size_mb=8:detect_leaks=0");
    env.insert("SOAK_CLOCK", root.filePath("clock"));
    env.insert("SOAK_FTP_PORT", QString::number(ftpPort_));
    env.insert("SOAK_REPORT", root.filePath("report.txt"));
    env.insert("SOAK_STOP", root.filePath("stop"));
    env.remove("SOAK_SETUP");
    if (setUp) {
        env.insert("SOAK_SETUP", "1");
        env.insert("SOAK_AUDIO", audio_);
        env.insert("SOAK_WINDOW_ELEV", QString::number(options_.WindowElevationDeg));
    }
    station_ = std::make_unique<QProcess>();
    station_->setProcessEnvironment(env);
    station_->setProcessChannelMode(QProcess::SeparateChannels);
    station_->setStandardOutputFile(root.filePath("station.out"), QIODevice::Append);
    station_->setStandardErrorFile(root.filePath("station.err"), QIODevice::Append);
    station_->start(QCoreApplication::applicationDirPath() + "/soak_station", {});
    if (!station_->waitForStarted(10000))
        return "the station did not start: " + station_->errorString();
    stationPid_ = station_->processId();
    return {};
}

QString TSoakDay::StopStation()
{
    QFile(root_.filePath("stop")).open(QIODevice::WriteOnly);
    const bool ended = station_->waitForFinished(60000);
    const QString errors = QString::fromLocal8Bit(Read(root_.filePath("station.err")));
    for (const QString& line : errors.split('\n'))
        if (line.contains("ERROR: AddressSanitizer") || line.contains("runtime error:") ||
            line.contains("ERROR: LeakSanitizer"))
            stationErrors_ += line + '\n';
    if (!ended)
        return "the station did not end when asked";
    if (station_->exitStatus() != QProcess::NormalExit || station_->exitCode() != 0)
        return QString("the station ended with %1").arg(station_->exitCode());
    return {};
}

QStringList TSoakDay::Snapshot(const QStringList& folders) const
{
    QStringList out;
    for (const QString& folder : folders)
        for (const QString& file : FilesUnder(folder))
            out << file + " " + QCryptographicHash::hash(Read(file), QCryptographicHash::Sha1).toHex();
    return out;
}

void TSoakDay::FreezeForKill(const TFeedSession& session)
{
    // Stopped on the feeder's thread the moment half the window is sent: the
    // station reads the sky far faster than the driver looks, so a kill the
    // driver timed itself could come after the recording was already done.
    if (frozenForKill_ || session.Pass < 0 || expected_[std::size_t(session.Pass)].Fault != TFault::Kill)
        return;
    const TExpectedPass& e = expected_[std::size_t(session.Pass)];
    const double windowSeconds = (e.WindowStop - e.WindowStart) * 86400;
    if (double(session.Written) < windowSeconds / 2 * kSampleRate)
        return;
    if (const qint64 pid = stationPid_; pid > 0 && ::kill(pid_t(pid), SIGSTOP) == 0)
        frozenForKill_ = true;
}

void TSoakDay::PlayFaults(qint64 now, std::vector<bool>& done)
{
    for (std::size_t i = 0; i < expected_.size(); ++i) {
        if (done[i])
            continue;
        const TExpectedPass& e = expected_[i];
        switch (e.Fault) {
        case TFault::FtpDown:
            // Gone before this pass, back after the next one is processed.
            if (server_ && now >= MsOf(e.AOS) - 3 * 60000) {
                stored_ += server_->StoredPaths();
                server_.reset();
            } else if (!server_ && i + 2 < expected_.size() && now >= MsOf(expected_[i + 2].AOS) - 3 * 60000) {
                StartServer();
                done[i] = true;
            } else if (!server_ && i + 2 >= expected_.size() && now >= MsOf(expected_.back().LOS) + kAfterSetMs) {
                StartServer();
                done[i] = true;
            }
            break;
        case TFault::PortGone:
            // From the set of the pass followed before (its window closed,
            // this pass not yet chosen) until this pass rose.
            if (e.FollowedBeforeLOS > 0 && QFileInfo(com1_).isSymLink() && now >= MsOf(e.FollowedBeforeLOS) - 30000 &&
                now < MsOf(e.AOS)) {
                QFile::remove(com1_);
            } else if (!QFileInfo(com1_).isSymLink() && now >= MsOf(e.AOS) + 60000) {
                QFile::link(receiver_->Line().Terminal(), com1_);
                done[i] = true;
            }
            break;
        case TFault::Kill: {
            // Halfway through the recording: the sky has sent half the window
            // and the station stands still there (FreezeForKill) until the kill.
            if (!frozenForKill_)
                break;
            const QStringList folders{audio_, program_ + "/html"};
            const QByteArray registry = Read(registry_);
            const QStringList before = Snapshot(folders);
            station_->kill();
            station_->waitForFinished(10000);
            const QStringList after = Snapshot(folders);
            QStringList lost;
            for (const QString& file : before)
                if (!after.contains(file))
                    lost << file;
            survivedKill_ = Read(registry_) == registry && registry.contains("LogModes") && lost.isEmpty();
            killReport_ = lost.join('\n');
            StartStation(false);
            ++restarts_;
            // The restarted station has decoded nothing yet: its first
            // decode grows it by tens of megabytes once (images, threads'
            // heaps), so it is measured after the pass that follows.
            baselinePass_ = std::min(int(i) + 1, int(expected_.size()) - 1);
            done[i] = true;
            break;
        }
        case TFault::DiskFull: {
            // Kept full from before the rise until after the set: the station
            // frees space on the way (the last pass's raw-line cache goes when
            // a recording starts), and the filler takes it at once.
            const QString filler = audio_ + "/filler";
            if (now >= MsOf(e.AOS) - 3 * 60000 && now < MsOf(e.LOS) + kAfterSetMs - 60000) {
                struct statvfs fs {};
                if (::statvfs(QFile::encodeName(audio_).constData(), &fs) != 0)
                    break;
                const qint64 spare = qint64(fs.f_bavail) * qint64(fs.f_frsize) - (256 << 10);
                if (spare <= 0)
                    break;
                QFile file(filler);
                if (!file.open(QIODevice::Append))
                    break;
                const QByteArray block(1 << 20, '\0');
                for (qint64 left = spare; left > 0; left -= block.size()) {
                    const qint64 n = file.write(block.constData(), std::min<qint64>(left, block.size()));
                    if (n <= 0)
                        break;
                    fillerBytes_ += n;
                }
            } else if (now >= MsOf(e.LOS) + kAfterSetMs - 60000) {
                QFile::remove(filler);
                done[i] = true;
            }
            break;
        }
        case TFault::None:
        case TFault::Noise:
            done[i] = true;
            break;
        }
    }
}

QString TSoakDay::Run()
{
    if (QString error = StartStation(true); !error.isEmpty())
        return error;
    std::vector<bool> faultsDone(expected_.size(), false);
    std::vector<bool> sampled(expected_.size(), false);
    std::vector<bool> logged(expected_.size(), false);
    const qint64 endMs = MsOf(expected_.back().LOS) + kAfterSetMs + 5 * 60000;
    qint64 last = TSharedClock::MonotonicMs();
    qint64 utcDay = clock_->NowMs() / kMsPerDay;
    QElapsedTimer stalled;
    stalled.start();
    while (true) {
        const qint64 wall = TSharedClock::MonotonicMs();
        const qint64 now = clock_->NowMs();
        // A station busy with a pass it recorded holds the clock: the fast
        // clock must not make its work look slow to the next pass.
        if (clock_->SinceBeatMs() < kStaleBeatMs && !clock_->Busy()) {
            clock_->Advance((wall - last) * (InSlowSpan(now) ? options_.SlowSpeed : options_.FastSpeed));
            stalled.restart();
        }
        last = wall;
        if (now / kMsPerDay != utcDay) {
            utcDay = now / kMsPerDay;
            dayStarts_ << int(stored_.size() + (server_ ? server_->StoredPaths().size() : 0));
        }
        for (std::size_t i = 0; i < expected_.size(); ++i)
            if (!sampled[i] && now >= MsOf(expected_[i].AOS) - 60000) {
                tunedBeforeRise_[i] = receiver_->TunedMHz();
                sampled[i] = true;
            }
        for (std::size_t i = 0; i < expected_.size(); ++i)
            if (!logged[i] && now >= MsOf(expected_[i].LOS) + kAfterSetMs && !clock_->Busy()) {
                logAfter_[i] = LogState();
                logged[i] = true;
                if (int(i) == baselinePass_)
                    afterFirst_ = Measure();
            }
        PlayFaults(now, faultsDone);
        if (now >= endMs && !clock_->Busy())
            break;
        if (station_->state() == QProcess::NotRunning)
            return "the station ended by itself: " + QString::fromLocal8Bit(Read(root_.filePath("station.err"))).right(2000);
        if (stalled.elapsed() > 120000)
            return "the station's clock stood still for two minutes";
        PumpMessages(5);
    }
    afterLast_ = Measure();
    if (server_)
        stored_ += server_->StoredPaths();
    return StopStation();
}

QString TSoakDay::DailyDir() const
{
    return program_ + "/html/daily";
}

QString TSoakDay::ServerDailyDir() const
{
    return ftpRoot_ + "/pub/html/apt/logs/daily";
}

QStringList TSoakDay::Report() const
{
    return QString::fromUtf8(Read(root_.filePath("report.txt"))).split('\n');
}

QList<QStringList> TSoakDay::StoredOnServerByDay() const
{
    QList<QStringList> days;
    int from = 0;
    for (int start : dayStarts_) {
        days << stored_.mid(from, start - from);
        from = start;
    }
    days << stored_.mid(from);
    return days;
}

QStringList TSoakDay::NotOnServer() const
{
    QStringList out;
    for (const QString& file : FilesUnder(DailyDir())) {
        const QString relative = QDir(DailyDir()).relativeFilePath(file);
        if (relative.endsWith(".txt"))
            continue;  // the working copies and the pending list stay local
        if (Read(file) != Read(ServerDailyDir() + "/" + relative))
            out << relative;
    }
    return out;
}

QStringList TSoakDay::PartialFiles() const
{
    QStringList out;
    for (const QString& folder : {audio_, program_ + "/html", program_ + "/config"})
        for (const QString& file : FilesUnder(folder)) {
            if (file.endsWith(".tmp"))
                out << file;
            else if (file.endsWith(".wav")) {
                const QByteArray bytes = Read(file);
                quint32 n = 0;
                if (bytes.size() >= 46)
                    std::memcpy(&n, bytes.constData() + 42, 4);
                if (bytes.size() < 46 || bytes.size() != qsizetype(46 + n + (n & 1)))
                    out << file;
            }
        }
    return out;
}

int TSoakDay::PageEntriesAfter(int pass) const
{
    return int(logAfter_[std::size_t(pass)].Page.count("<!-- 1.1a -->"));
}

bool TSoakDay::KeepFolders(const QString& folder) const
{
    bool ok = true;
    for (const QString& file : FilesUnder(DailyDir())) {
        const QString target = folder + "/" + QDir(DailyDir()).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        ok = QFile::copy(file, target) && ok;
    }
    return ok;
}

QByteArray TSoakDay::PendingUploads() const
{
    return Read(DailyDir() + "/upload.txt");
}

TPassResult TSoakDay::ResultOf(int index)
{
    TPassResult r;
    const TExpectedPass& e = expected_[std::size_t(index)];
    r.TunedMHzBeforeRise = tunedBeforeRise_[std::size_t(index)];
    const QString suffix = "_" + QString(e.Name).replace(' ', '_') + ".wav";
    for (const QString& file : FilesUnder(audio_)) {
        const QString name = QFileInfo(file).fileName();
        if (!name.endsWith(suffix))
            continue;
        const QDateTime named = QDateTime::fromString("20" + name.left(13), "yyyyMMdd_hhmmss");
        const qint64 at = QDateTime(named.date(), named.time(), Qt::UTC).toMSecsSinceEpoch();
        if (at >= MsOf(e.AOS) - 5 * 60000 && at <= MsOf(e.LOS))
            r.Wavs << file;
    }
    r.PassInfo = !r.Wavs.isEmpty();
    for (const QString& wav : r.Wavs)
        r.PassInfo = r.PassInfo && QFile::exists(wav.chopped(4) + ".txt");
    if (!r.Wavs.isEmpty()) {
        // What the sky sent, in order, with nothing lost: the zeros the
        // device put in where it found the pipe short left out.
        QByteArray audio = Read(r.Wavs.back()).mid(46);
        r.FilledIn = int(audio.count('\0'));
        audio.replace('\0', QByteArray());
        for (const TFeedSession& s : feeder_->Sessions()) {
            if (s.Pass != index || !s.Loop || s.Written < std::size_t(audio.size()) || audio.isEmpty())
                continue;
            bool same = true;
            for (qsizetype k = 0; k < audio.size() && same; ++k)
                same = std::uint8_t(audio[k]) == (*s.Loop)[(s.Offset + std::size_t(k)) % s.Loop->size()];
            r.WavMatchesSky = r.WavMatchesSky || same;
        }
    }
    // This pass's share of its day's page and feed: what its run added (to
    // the page of the pass before, or to a page started anew).
    const TLogState& after = logAfter_[std::size_t(index)];
    TLogState before = index > 0 ? logAfter_[std::size_t(index - 1)] : TLogState{};
    if (after.Page.count("<!-- 1.1a -->") < before.Page.count("<!-- 1.1a -->"))
        before = {};
    r.PageEntries = int(after.Page.count("<!-- 1.1a -->") - before.Page.count("<!-- 1.1a -->"));
    r.FeedItems = int(after.Feed.count("<item>") - before.Feed.count("<item>"));
    r.Products = after.Images - before.Images;
    if (r.FeedItems > 0 && !after.Feed.contains("<title>Images from " + e.Name.toUtf8() + " at "))
        r.FeedItems = -1;  // an item, but not of this pass
    const QStringList report = Report();
    for (int i = 0; i + 1 < report.size(); ++i)
        if (report[i] == "Tuner error" && report[i + 1].endsWith(": " + e.Name)) {
            // Reported during the choice of this pass: after the previous pass set.
            ++r.TunerErrors;
        }
    return r;
}

}  // namespace soak
