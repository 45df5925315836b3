#pragma once
// The day's clock, shared by the soak driver and the station process it
// starts: one page of a file mapped by both. The driver moves the simulated
// time on; the station reads it as its only clock and beats a heartbeat
// from its event loop. The driver moves time only while the heartbeat is
// fresh and the station is not busy with a recorded pass, so a station that
// is decoding, killed or starting again loses no pass to the speed-up.
#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstdint>

namespace soak {

class TSharedClock {
public:
    // Maps path, making it when missing; Ok() tells whether that worked.
    explicit TSharedClock(const QString& path);
    ~TSharedClock();
    TSharedClock(const TSharedClock&) = delete;
    TSharedClock& operator=(const TSharedClock&) = delete;
    bool Ok() const { return page_ != nullptr; }

    QDateTime Now() const;
    qint64 NowMs() const;
    void Set(const QDateTime& utc);
    void Advance(qint64 ms);

    // The station's beat, with whether it is busy with a recorded pass
    // (decoding, logging or uploading), and how long ago (monotonic ms) the
    // last beat came.
    void Beat(bool busy);
    qint64 SinceBeatMs() const;
    bool Busy() const;

    static qint64 MonotonicMs();

private:
    struct TPage {
        std::atomic<qint64> simulatedMs;  // UTC milliseconds since the epoch
        std::atomic<qint64> beatMs;       // CLOCK_MONOTONIC of the last beat
        std::atomic<int> busy;
    };
    TPage* page_ = nullptr;
};

}  // namespace soak
