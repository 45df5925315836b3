#include "AptTestHelpers.h"

#include "support/TestEnv.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <libdeflate.h>

namespace apttest {
namespace {

// The receiver's bend of the grey scale that calibration has to undo.
double Gain(double v) { return 6 + 0.8 * v + 0.0004 * v * v; }

// NOAA 18 channel 4 as the NOAA KLM User's Guide describes its calibration,
// run forwards: a scene temperature to the calibrated 8-bit APT value.
struct Noaa18Channel4 {
    const double c1 = 1.1910427e-05, c2 = 1.4387752;
    const double v = 928.146, a = 0.436645, b = 0.998607;
    const double ns = -5.53, b0 = 5.82, b1 = -0.11069, b2 = 0.00052337;
    const double prt[4][3] = {{276.601, 0.0509, 1.657e-06}, {276.683, 0.05101, 1.482e-06},
                              {276.565, 0.05117, 1.313e-06}, {276.615, 0.05103, 1.484e-06}};
    double spaceCount, blackbodyCount, blackbodyRadiance;

    Noaa18Channel4(double prtWedge, double backScanWedge, double spaceWedge)
        : spaceCount(spaceWedge * 4), blackbodyCount(backScanWedge * 4)
    {
        double sum = 0;
        for (const auto& d : prt)
            sum += d[0] + d[1] * prtWedge * 4 + d[2] * prtWedge * 4 * prtWedge * 4;
        blackbodyRadiance = Planck(a + b * sum / 4);
    }
    double Planck(double kelvin) const { return c1 * v * v * v / (std::exp(c2 * v / kelvin) - 1); }
    double ValueOf(double kelvin) const
    {
        const double measured = Planck(a + b * kelvin);
        // measured = linear + b0 + b1 linear + b2 linear^2
        const double p = 1 + b1, q = b0 - measured;
        const double linear = (-p + std::sqrt(p * p - 4 * b2 * q)) / (2 * b2);
        const double count = spaceCount - (linear - ns) * (spaceCount - blackbodyCount) / (blackbodyRadiance - ns);
        return count / 4;
    }
};

}  // namespace

double SceneKelvin(int word) { return 230 + 70.0 * word / 908; }

aptgen::PassSpec CalibratedPass(int lines)
{
    aptgen::PassSpec spec;
    spec.lines = lines;
    spec.frameOffset = 37;
    spec.gain = Gain;
    static const Noaa18Channel4 thermal(spec.prtWedges[0], spec.backScanB, spec.spaceB);
    spec.videoB = [](int, int w) { return thermal.ValueOf(SceneKelvin(w)); };
    return spec;
}

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

std::vector<unsigned char> GzipMember(const std::string& text, int level)
{
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    std::vector<unsigned char> packed(libdeflate_gzip_compress_bound(compressor, text.size()));
    packed.resize(libdeflate_gzip_compress(compressor, text.data(), text.size(), packed.data(), packed.size()));
    libdeflate_free_compressor(compressor);
    return packed;
}

}  // namespace apttest
