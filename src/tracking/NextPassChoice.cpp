#include "tracking/NextPassChoice.h"

#include "shell/Setting.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kDaysAhead = 5;

struct TCandidate {
    QString Name;
    double AOS = 0;
    double LOS = 0;
};

// Every pass of sat from start on that begins on start's UTC date, and the
// first pass after start whatever its date.
void CollectPasses(TSat& sat, TStation* station, TDateTime start, std::vector<TCandidate>& out)
{
    const QString name = QString::fromLatin1(sat.Name);
    if (sat.PredictNextAOS(station, start) == 0 || sat.PredictLOS() == 0)
        return;
    out.push_back({name, sat.AOS, sat.LOS});
    while (sat.PredictNextPassOnDate(start) != 0 && sat.PredictLOS() != 0)
        out.push_back({name, sat.AOS, sat.LOS});
}

TSat* Find(std::vector<std::unique_ptr<TSat>>& sats, const QString& name)
{
    for (auto& sat : sats)
        if (QString::fromLatin1(sat->Name) == name)
            return sat.get();
    return nullptr;
}

}  // namespace

void PredictPassAt(TSat& sat, TStation* station, const TSetting& settings, double day)
{
    sat.Time = day;
    sat.Scheduled = (settings.LogModes & 1) ? 1 : 0;
    if (sat.Scheduled) {
        sat.Scheduled = sat.PredictRecordingWindow(station, &settings, day) ? 1 : 0;
    } else {
        sat.PredictPass(station, day, 0);
        sat.WindowStart = sat.AOS;
        sat.WindowStop = sat.LOS;
    }
    sat.MakeFileBaseName();
}

TNextPassChoice ChooseNextPass(const PList& catalogue, TStation* station, const TSetting& settings,
                               TDateTime nowUtc)
{
    TNextPassChoice choice;
    std::vector<std::unique_ptr<TSat>> sats;
    for (int i = 0; i < catalogue.Count; ++i) {
        const auto* sat = static_cast<const TSat*>(catalogue.Get(i));
        if (sat && sat->APTSatellite)
            sats.push_back(std::make_unique<TSat>(*sat));
    }
    choice.AptSatellites = static_cast<int>(sats.size());
    if (sats.empty())
        return choice;

    const bool autoRecord = settings.LogModes & 1;
    const bool warnOverlap = autoRecord && (settings.PassModes & 0x10);
    const double now = DateTimeToDayNumber(nowUtc);
    TDateTime start = nowUtc;
    TSat* result = nullptr;
    for (int day = 0; day < kDaysAhead && !result; ++day, start += 1) {
        std::vector<TCandidate> candidates;
        for (auto& sat : sats)
            CollectPasses(*sat, station, start, candidates);
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const TCandidate& a, const TCandidate& b) { return a.AOS < b.AOS; });

        for (const TCandidate& item : candidates) {
            const bool eligible = item.AOS >= now || (item.AOS <= now && now <= item.LOS);
            TSat* sat = eligible ? Find(sats, item.Name) : nullptr;
            if (!sat)
                continue;
            if (!autoRecord) {
                result = sat;
                break;
            }
            choice.OverlapNames.clear();
            PredictPassAt(*sat, station, settings, now);
            if (sat->AOS == 0 || sat->LOS == 0)
                continue;
            // A pass overlaps when it begins or ends strictly inside this
            // one; one that spans it does not count.
            const double aos = sat->AOS, los = sat->LOS;
            double best = sat->MaxElevation;
            TSat* winner = nullptr;
            for (const TCandidate& other : candidates) {
                if (&other == &item || other.Name == item.Name)
                    continue;
                const bool overlaps = (other.LOS > aos && other.LOS < los) || (other.AOS > aos && other.AOS < los);
                TSat* rival = overlaps ? Find(sats, other.Name) : nullptr;
                if (!rival)
                    continue;
                PredictPassAt(*rival, station, settings, now);
                if (warnOverlap && !choice.OverlapNames.contains(other.Name))
                    choice.OverlapNames << other.Name;
                if (rival->MaxElevation > best) {
                    best = rival->MaxElevation;
                    winner = rival;
                }
            }
            result = winner ? winner : sat;
            break;
        }
    }
    if (!result) {
        choice.OverlapNames.clear();
        return choice;
    }
    choice.Pass = std::make_unique<TSat>(*result);
    PredictPassAt(*choice.Pass, station, settings, now);
    choice.Pass->Time = 0;
    choice.OverlapNames.removeAll(QString::fromLatin1(choice.Pass->Name));
    return choice;
}
