#include "soak/SharedClock.h"

#include <QFile>
#include <fcntl.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

namespace soak {

TSharedClock::TSharedClock(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::ftruncate(fd, sizeof(TPage)) == 0) {
        void* mapped = ::mmap(nullptr, sizeof(TPage), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped != MAP_FAILED)
            page_ = static_cast<TPage*>(mapped);
    }
    ::close(fd);
}

TSharedClock::~TSharedClock()
{
    if (page_)
        ::munmap(page_, sizeof(TPage));
}

qint64 TSharedClock::MonotonicMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

qint64 TSharedClock::NowMs() const
{
    return page_->simulatedMs.load();
}

QDateTime TSharedClock::Now() const
{
    return QDateTime::fromMSecsSinceEpoch(NowMs(), Qt::UTC);
}

void TSharedClock::Set(const QDateTime& utc)
{
    page_->simulatedMs.store(utc.toMSecsSinceEpoch());
}

void TSharedClock::Advance(qint64 ms)
{
    page_->simulatedMs.fetch_add(ms);
}

void TSharedClock::Beat(bool busy)
{
    page_->busy.store(busy ? 1 : 0);
    page_->beatMs.store(MonotonicMs());
}

bool TSharedClock::Busy() const
{
    return page_->busy.load() != 0;
}

qint64 TSharedClock::SinceBeatMs() const
{
    return MonotonicMs() - page_->beatMs.load();
}

}  // namespace soak
