#pragma once
// The main window driven by its tracker in tests: a clock that runs faster
// than the real one, and the main window with the weather catalogue, the
// receiver on COM1 and a process log.
#include "orbit/Satutil.h"
#include "platform/SystemTime.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "tracking/TrackingFixtures.h"

#include <QElapsedTimer>
#include <memory>

namespace trackingfixtures {

inline constexpr double kSecond = 1 / 86400.0;

// A clock running speed times faster than the real one from start (UTC).
struct FastClock {
    FastClock(const QDateTime& start, int speed)
    {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        systime::SetClockSource([start, speed, timer] { return start.addMSecs(timer->elapsed() * speed); });
    }
    ~FastClock() { systime::SetClockSource({}); }
};

inline QDateTime UtcOf(double day)
{
    const TDateParts p = DecodeDateTime(TSat::DayNumberToDateTime(day));
    return QDateTime(QDate(p.Year, p.Month, p.Day), QTime(p.Hour, p.Minute, p.Second, p.MilliSecond), Qt::UTC);
}

// The main window with the weather catalogue (only the satellites named
// active), the receiver on COM1 with the program's own reply pause (a
// shorter one is missed on a loaded machine), and a process log.
struct TrackerBench {
    explicit TrackerBench(const QStringList& active)
    {
        form = std::make_unique<TMainForm>();
        log = std::make_unique<TLogForm>(form.get());
        loaded = LoadWeatherCatalogue(form->SatelliteList);
        for (int i = 0; i < form->SatelliteList.Count; ++i) {
            auto* sat = static_cast<TSat*>(form->SatelliteList.Get(i));
            sat->APTSatellite = active.contains(QString(sat->Name)) ? 1 : 0;
        }
        form->Station = Berlin();
        form->Rig->Port = 1;
        form->Rig->Radio = 0;
        form->ShutdownPause = [](int) {};
    }
    ~TrackerBench()
    {
        if (form)
            form->close();
    }
    int Count(const QString& line) const { return log->Lines().count(line); }

    ModalCatcher boxes;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TLogForm> log;
    bool loaded = false;
};

}  // namespace trackingfixtures
