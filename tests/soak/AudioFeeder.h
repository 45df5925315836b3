#pragma once
// The sound of the simulated sky through ALSA's "file" capture device: the
// device reads a FIFO, and this feeder writes into it whenever the station
// has it open (a recording, or the start-up's look at the device). Each
// open is a session: the feeder asks which pass is up at that moment and
// streams that pass's audio from the pass's own offset (the moment of the
// open, 11025 bytes a simulated second after the rise), as fast as the
// station reads it, until it closes the device.
#include "soak/SharedClock.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace soak {

struct TFeedSession {
    int Pass = -1;                              // index in the day's list; -1 for none
    const std::vector<std::uint8_t>* Loop = nullptr;
    std::size_t Offset = 0;                     // of the first byte within the endless loop
    std::size_t Written = 0;
    bool Open = true;                           // the station still has the device open
};

class TAudioFeeder {
public:
    // What is up at a simulated moment (UTC ms): the pass index, its audio
    // and the byte offset into it; a session with Loop null gets silence.
    using TSky = std::function<TFeedSession(qint64 simulatedMs)>;
    // Called on the feeder's thread after each write, before the next: what
    // it does happens at that point of the sky's sending.
    using TSent = std::function<void(const TFeedSession&)>;

    TAudioFeeder(const QString& fifo, const TSharedClock& clock, TSky sky, TSent sent = {});
    ~TAudioFeeder();
    bool Ok() const { return ok_; }
    std::vector<TFeedSession> Sessions();

private:
    void Run();
    void Stream(int fd, TFeedSession& session);

    QString fifo_;
    const TSharedClock& clock_;
    TSky sky_;
    TSent sent_;
    bool ok_ = false;
    std::mutex mutex_;
    std::vector<TFeedSession> sessions_;  // guarded by mutex_
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace soak
