#include "soak/SoakChecks.h"

#include "orbit/Satutil.h"

#include <QFileInfo>
#include <QSet>
#include <cmath>

namespace soak {

TDayTable JudgeDay(TSoakDay& day)
{
    TDayTable t;
    const auto& expected = day.Expected();
    t.Expected = int(expected.size());
    const QStringList report = day.Report();
    auto problem = [&t](int pass, const QString& text) { t.Problems << QString("pass %1: %2").arg(pass + 1).arg(text); };
    for (int i = 0; i < int(expected.size()); ++i) {
        const TExpectedPass& e = expected[std::size_t(i)];
        const TPassResult r = day.ResultOf(i);
        // The receiver tunes in steps of 10 kHz.
        const bool tunedRight = std::fabs(r.TunedMHzBeforeRise - e.DownlinkMHz) < 0.0051;
        const bool recorded = !r.Wavs.isEmpty() && r.PassInfo;
        bool survived = true;
        if (e.Fault == TFault::PortGone) {
            if (report.count("Tuner error") != 1 || r.TunerErrors != 1)
                problem(i, QString("%1 tuner error reports, not one").arg(r.TunerErrors)), survived = false;
        } else if (!tunedRight) {
            problem(i, QString("tuned to %1 MHz before the rise, not %2").arg(r.TunedMHzBeforeRise).arg(e.DownlinkMHz));
        }
        if (e.Fault == TFault::DiskFull) {
            if (!r.Wavs.isEmpty())
                problem(i, "a recording on a full disk"), survived = false;
            if (!report.join('\n').contains("Error creating wav-file!"))
                problem(i, QString("the full disk (%1 bytes of filler) was not reported").arg(day.FillerBytes())),
                    survived = false;
        } else if (!recorded) {
            problem(i, "no recording with its pass-information file");
            survived = false;
        } else {
            ++t.Recorded;
            // A killed recording is started again: its last part is whole.
            if (e.Fault != TFault::Kill && r.Wavs.size() != 1)
                problem(i, QString("%1 recordings").arg(r.Wavs.size()));
            if (!r.WavMatchesSky)
                problem(i, "the recording differs from what the sky sent");
        }
        if (e.Fault == TFault::Noise) {
            if (r.PageEntries != 0 || r.Products != 0)
                problem(i, "noise was logged as a picture"), survived = false;
            if (!report.contains(e.Name + " Nothing to log!"))
                problem(i, "the poor telemetry was not reported"), survived = false;
        } else {
            if (r.Products > 0)
                ++t.Decoded;
            else if (r.FilledIn > 0)
                problem(i, QString("no products (%1 bytes of its recording were filled in where the sky ran short)")
                               .arg(r.FilledIn));
            else
                problem(i, "no products");
            if (r.PageEntries == 1 && r.FeedItems == 1)
                ++t.Logged;
            else
                problem(i, QString("%1 page entries and %2 feed items").arg(r.PageEntries).arg(r.FeedItems));
        }
        if (e.Fault != TFault::None) {
            ++t.Faults;
            if (e.Fault == TFault::Kill && !day.SurvivedKill())
                problem(i, "the kill changed the registry or earlier files: " + day.KillReport()), survived = false;
            if (survived)
                ++t.FaultsSurvived;
        }
    }
    // A pass on a later UTC day than the one before it finds its day's page
    // started anew: its own entry alone, its images numbered from 000.
    for (int i = 1; i < int(expected.size()); ++i) {
        const double aos = expected[std::size_t(i)].AOS, before = expected[std::size_t(i - 1)].AOS;
        if (std::floor(aos) != std::floor(before) && day.PageEntriesAfter(i) != 1)
            t.Problems << QString("pass %1: the new day's page was not started (%2 entries)")
                              .arg(i + 1)
                              .arg(day.PageEntriesAfter(i));
    }
    // Uploads: every image once, and the server's copy of the daily log whole.
    for (const QStringList& stored : day.StoredOnServerByDay()) {
        QSet<QString> images;
        for (const QString& path : stored)
            if (path.contains("/images/")) {
                if (images.contains(path))
                    t.Problems << "sent twice: " + path;
                images.insert(path);
            }
    }
    t.Uploaded = t.Logged - (day.NotOnServer().isEmpty() ? 0 : 1);
    for (const QString& file : day.NotOnServer())
        t.Problems << "not on the server as it is here: " + file;
    if (!day.PendingUploads().isEmpty())
        t.Problems << "uploads still pending: " + QString::fromUtf8(day.PendingUploads()).simplified();
    for (const QString& file : day.PartialFiles())
        t.Problems << "half-written: " + file;
    if (!day.StationErrors().isEmpty())
        t.Problems << "sanitizer: " + day.StationErrors();
    const TResources a = day.AfterFirstPass(), b = day.AfterLastPass();
    if (b.Descriptors > a.Descriptors + 3)
        t.Problems << QString("descriptors grew from %1 to %2").arg(a.Descriptors).arg(b.Descriptors);
    if (b.Threads > a.Threads + 2)
        t.Problems << QString("threads grew from %1 to %2").arg(a.Threads).arg(b.Threads);
    if (b.RssKb > a.RssKb + a.RssKb / 4)
        t.Problems << QString("resident memory grew from %1 kB to %2 kB").arg(a.RssKb).arg(b.RssKb);
    return t;
}

void PrintTable(const TSoakDay& day, const TDayTable& t, std::FILE* out)
{
    std::fprintf(out, "\n%-4s %-8s %-20s %-20s %s\n", "pass", "sat", "AOS (UTC)", "fault", "");
    int n = 0;
    for (const TExpectedPass& e : day.Expected()) {
        const TDateParts p = DecodeDateTime(TSat::DayNumberToDateTime(e.AOS));
        std::fprintf(out, "%-4d %-8s %04d-%02d-%02d %02d:%02d:%02d  %-20s\n", ++n, qPrintable(e.Name), p.Year, p.Month,
                     p.Day, p.Hour, p.Minute, p.Second, FaultName(e.Fault));
    }
    const TResources a = day.AfterFirstPass(), b = day.AfterLastPass();
    std::fprintf(out,
                 "\npasses expected   %d\nrecorded          %d\ndecoded           %d\nlogged            %d\n"
                 "uploaded          %d\nfaults survived   %d of %d\n"
                 "memory (RSS)      %lld kB after the first pass, %lld kB after the last\n"
                 "descriptors       %d, %d\nthreads           %d, %d\nrestarts          %d\n",
                 t.Expected, t.Recorded, t.Decoded, t.Logged, t.Uploaded, t.FaultsSurvived, t.Faults, a.RssKb,
                 b.RssKb, a.Descriptors, b.Descriptors, a.Threads, b.Threads, day.Restarts());
    for (const QString& line : t.Problems)
        std::fprintf(out, "PROBLEM %s\n", qPrintable(line));
    std::fflush(out);
}

}  // namespace soak
