#include "AptTestHelpers.h"

#include "support/TestEnv.h"

#include <QDir>
#include <algorithm>

namespace apttest {

QString WritePass(const aptgen::PassSpec& spec, const QString& name, int bits)
{
    QDir().mkpath(testenv::ProgramDir());
    const QString path = testenv::ProgramDir() + name;
    if (!aptgen::WriteWav(path.toStdString(), aptgen::Synthesize(spec), bits))
        return {};
    return path;
}

int DecodeFile(TAPT& apt, const QString& path)
{
    if (!apt.Init(path, 0))
        return -1;
    const int capacity = apt.MaxLines;
    if (!apt.MakeLineStore(capacity))
        return -1;
    for (int i = 0; i < capacity; ++i) {
        double* line = apt.AllocLine(i);
        apt.Lines = i + 1;
        if (!apt.GetPixelRow(line)) {
            apt.FreeLine(i);
            apt.Lines = i;
            apt.MaxLines = i;
            apt.Flags &= ~aptDecoding;
            apt.FreeBuffers(true);
            break;
        }
    }
    return apt.Lines;
}

void FillLines(TAPT& apt, const aptgen::PassSpec& spec)
{
    apt.AllocLines(spec.lines);
    for (int i = 0; i < spec.lines; ++i) {
        const auto words = aptgen::LineWords(spec, i);
        for (int j = 0; j < aptgen::kWords; ++j)
            apt.LineStore[i][j] = spec.gain(words[j]);
    }
}

bool SyncAligned(const double* row)
{
    // Pair sums stay ordered whatever the sub-word phase of the pixel grid.
    for (int k = 0; k < 7; ++k) {
        const double high = row[4 + 4 * k] + row[5 + 4 * k];
        if (high <= row[2 + 4 * k] + row[3 + 4 * k] || high <= row[6 + 4 * k] + row[7 + 4 * k])
            return false;
    }
    return true;
}

}  // namespace apttest
