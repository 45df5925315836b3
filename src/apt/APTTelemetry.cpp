// Telemetry: the frames of 16 wedges of 8 lines beside each video channel,
// the grey-scale calibration of every line against the wedges, the channel
// identification from wedge 16, and the thermal calibration (NOAA KLM
// method: PRT temperatures, blackbody radiance, linear radiance with a
// quadratic non-linearity correction, inverse Planck with band correction).
#include "apt/APT.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

namespace {

constexpr int kFrameLines = 128;
constexpr int kWedgeLines = 8;
constexpr int kTelemetryWords = 45;
constexpr int kMinTelemetryLines = 192;
// Four lines of the black wedge 9 read at least this much in the frame search.
constexpr double kDarkFloor = 4 * 16.0;

// Calibrated values of wedges 1..9.
constexpr double kReferenceWedges[9] = {31.07, 63.02, 94.96, 126.9, 158.86, 191.1, 228.62, 255, 0};

constexpr double kC1 = 1.1910427e-05;  // mW/(m2 sr cm-4)
constexpr double kC2 = 1.4387752;      // cm K
constexpr double kZeroCelsius = 273.15;
constexpr double kColdest = 213.15;  // -60 degrees C: white
constexpr double kWarmest = 313.15;  // +40 degrees C: black

struct Prt {
    double d0, d1, d2;
};
struct Band {
    double waveNumber, a, b;  // central wave number (cm-1), band correction T* = a + b T
    double ns, b0, b1, b2;    // space radiance and non-linearity correction
};
struct SpacecraftCalibration {
    Prt prt[4];
    Band band[3];  // channel 4, channel 5, channel 3B
};

// By TSpacecraftModel: NOAA 12, 14, 15, 17, 18.
constexpr SpacecraftCalibration kCalibration[5] = {
    {{{276.597, 0.051275, 1.363e-06}, {276.597, 0.051275, 1.363e-06}, {276.597, 0.051275, 1.363e-06},
      {276.597, 0.051275, 1.363e-06}},
     {{912.01, 0.33781, 1.038, 26.9149, 0.973525, 6.12575e-06, 0},
      {0, 0, 0, 0, 0.25, 0.25, 0.25},
      {2638.05, -11.0, 1.038, 0, 0, 0, 0}}},
    {{{276.60157, 0.051045, 1.36328e-06}, {276.62531, 0.050909, 1.47266e-06},
      {276.67413, 0.050907, 1.47656e-06}, {276.59258, 0.050966, 1.47656e-06}},
     {{925.4075, 0.33781, 0.998719, -4.5, 4.76, -0.0932, 0.0004524},
      {839.8979, 0.304558, 0.999024, -3.61, 3.83, -0.0659, 0.0002811},
      {2695.9743, 1.621256, 0.998015, 0, 0, 0, 0}}},
    {{{276.60157, 0.051045, 1.36328e-06}, {276.62531, 0.050909, 1.47266e-06},
      {276.67413, 0.050907, 1.47656e-06}, {276.59258, 0.050966, 1.47656e-06}},
     {{925.4075, 0.33781, 0.998719, -4.5, 4.76, -0.0932, 0.0004524},
      {839.8979, 0.304558, 0.999024, -3.61, 3.83, -0.0659, 0.0002811},
      {2695.9743, 1.621256, 0.998015, 0, 0, 0, 0}}},
    {{{276.628, 0.05098, 1.371e-06}, {276.538, 0.05098, 1.371e-06}, {276.761, 0.05097, 1.369e-06},
      {276.66, 0.051, 1.348e-06}},
     {{926.2947, 0.271683, 0.998794, -8.55, 8.22, -0.15795, 0.00075579},
      {839.8246, 0.30918, 0.999012, -3.97, 4.31, -0.07318, 0.00030976},
      {2669.3554, 1.70238, 0.997378, 0, 0, 0, 0}}},
    {{{276.601, 0.0509, 1.657e-06}, {276.683, 0.05101, 1.482e-06}, {276.565, 0.05117, 1.313e-06},
      {276.615, 0.05103, 1.484e-06}},
     {{928.146, 0.436645, 0.998607, -5.53, 5.82, -0.11069, 0.00052337},
      {833.2532, 0.253179, 0.999057, -2.22, 2.67, -0.0436, 0.00017715},
      {2659.7952, 1.698704, 0.99696, 0, 0, 0, 0}}},
};

double Clamp(double v, double low, double high)
{
    if (!(v >= low))
        return low;
    return v > high ? high : v;
}

// Wedges 1..8 of the frame starting at line p step up from dark to white and
// the black wedge 9 lies below wedge 8. The frame search always settles on
// some line, even in pure noise: a pass none of whose frames reads as this
// grey scale has no telemetry. Each wedge is read as the median of its lines,
// so a drop-out over a few lines does not hide a real frame.
bool IsGreyScale(const double* work, int p)
{
    double wedges[9];
    for (int m = 0; m < 9; ++m) {
        double lines[kWedgeLines];
        std::copy_n(work + p + kWedgeLines * m, kWedgeLines, lines);
        std::nth_element(lines, lines + kWedgeLines / 2, lines + kWedgeLines);
        wedges[m] = lines[kWedgeLines / 2];
    }
    for (int m = 0; m < 7; ++m)
        if (!(wedges[m + 1] >= wedges[m]))
            return false;
    return wedges[8] < wedges[7];
}

int ImageToTelemetryColumn(int imageCol) { return imageCol == 86 ? 995 : 2035; }
int ImageToSpaceColumn(int imageCol) { return imageCol == 86 ? 39 : 1079; }

}  // namespace

QString TAPT::ChannelName(int channel)
{
    switch (channel) {
    case avhrrCh1: return "Visible Channel 1";
    case avhrrCh2: return "Visible Channel 2";
    case avhrrCh3A: return "Near-Infrared Channel 3A";
    case avhrrCh4: return "Thermal Infrared Channel 4";
    case avhrrCh5: return "Thermal Infrared Channel 5";
    case avhrrCh3B: return "Thermal Infrared Channel 3B";
    default: return "N/A";
    }
}

int TAPT::FindTelemetryFrame(int col, bool reuse)
{
    if (Lines < kMinTelemetryLines)
        return -1;
    if (!WorkColumn) {
        WorkColumn.reset(new (std::nothrow) double[Lines]());
        if (!WorkColumn) {
            StopFlags |= aptStopNoMemory;
            return -1;
        }
    }
    double* work = WorkColumn.get();
    for (int i = 0; i < Lines; ++i) {
        const double* line = LineStore[i].get();
        double value = 0;
        if (line && reuse) {
            value = line[col];
        } else if (line) {
            for (int w = col; w < col + kTelemetryWords; ++w)
                value += line[w];
            value /= kTelemetryWords;
        }
        work[i] = value;
    }
    if (reuse)
        return FramePhase;

    // The step from the brightest wedge 8 to the black wedge 9 lies 64 lines
    // into a frame. The search reads four lines back, so it starts no earlier
    // than line 4 (short passes would otherwise read before the column).
    const int first = std::max(Lines / 3 - 64, 4);
    const int end = 2 * Lines / 3 - 64;
    double bestRatio = 0;
    int winner = -1;
    for (int i = first; i < end; ++i) {
        // The black wedge reads near 0, so noise alone can make its sum tiny
        // or negative and a line or two beside the step win; below a dark
        // floor every black reads the same and the step itself wins.
        const double below = std::max(work[i] + work[i + 1] + work[i + 2] + work[i + 3], kDarkFloor);
        const double ratio = (work[i - 4] + work[i - 3] + work[i - 2] + work[i - 1]) / below;
        if (ratio > bestRatio) {
            bestRatio = ratio;
            winner = i;
        }
    }
    const int start = winner < 0 ? -1 : winner - 64;
    if (start < 0 || Lines < start % kFrameLines + kFrameLines) {
        Flags |= aptNoTelemetry;
        return -1;
    }
    return start;
}

double TAPT::WedgeMean(int col, int line) const
{
    double sum = 0;
    for (int i = line; i < line + kWedgeLines && i < Lines; ++i) {
        const double* values = LineStore[i].get();
        if (!values)
            continue;
        for (int w = col; w < col + kTelemetryWords; ++w)
            sum += Clamp(values[w], 0, 255);
    }
    return sum / (kWedgeLines * kTelemetryWords);
}

void TAPT::FlattenWedges(int col, int start)
{
    if (start < 0 || Lines < start % kFrameLines + kFrameLines)
        return;
    auto setWedge = [&](int first, double value) {
        for (int i = first; i < first + kWedgeLines && i < Lines; ++i)
            if (double* values = LineStore[i].get())
                std::fill(values + col, values + col + kTelemetryWords, value);
    };
    double ref[16];
    bool haveRef[16] = {};
    for (int q = 0; q < 16 && start + kWedgeLines * q < Lines; ++q) {
        ref[q] = WedgeMean(col, start + kWedgeLines * q);
        haveRef[q] = true;
        setWedge(start + kWedgeLines * q, ref[q]);
    }
    for (int p = start % kFrameLines; p < Lines; p += kFrameLines) {
        if (p == start)
            continue;
        for (int q = 0; q < 16 && p + kWedgeLines * q < Lines; ++q) {
            double m = WedgeMean(col, p + kWedgeLines * q);
            if (haveRef[q] && std::fabs(ref[q] - m) > 5)
                m = ref[q];
            setWedge(p + kWedgeLines * q, m);
        }
    }
}

int TAPT::CalibrateChannel(int imageCol, bool identifyOnly)
{
    const int tcol = ImageToTelemetryColumn(imageCol);
    const int scol = ImageToSpaceColumn(imageCol);
    std::fill(std::begin(Wedges), std::end(Wedges), 0.0);
    if (Lines < kMinTelemetryLines || !WorkColumn)
        return -1;
    if (FramePhase < 0) {
        const int start = FindTelemetryFrame(tcol, false);
        if (start < 0)
            return -1;
        FramePhase = start % kFrameLines;
    } else {
        FindTelemetryFrame(tcol, true);
    }
    const double* work = WorkColumn.get();

    // One cubic per complete frame; a frame whose wedges give a singular fit
    // borrows the cubic of the nearest fitted frame.
    std::vector<Cubic>& cubics = frameCubics_;
    cubics.clear();
    std::vector<bool> fitted;
    std::vector<std::array<double, 16>> raws;
    for (int p = FramePhase; p < Lines - kFrameLines; p += kFrameLines) {
        std::array<double, 16> raw;
        for (int m = 0; m < 16; ++m)
            raw[m] = work[p + kWedgeLines * m];
        Cubic cubic;
        fitted.push_back(FitWedgeCubic(raw.data(), cubic));
        cubics.push_back(cubic);
        raws.push_back(raw);
    }
    const int frames = static_cast<int>(cubics.size());
    if (std::find(fitted.begin(), fitted.end(), true) == fitted.end())
        return -1;  // no frame could be fitted: no telemetry
    bool greyScale = false;
    for (int p = FramePhase; p < Lines - kFrameLines && !greyScale; p += kFrameLines)
        greyScale = IsGreyScale(work, p);
    if (!greyScale)
        return -1;  // no frame reads as telemetry: noise
    for (int q = 0; q < frames; ++q) {
        if (fitted[q])
            continue;
        int best = -1;
        for (int r = 0; r < frames; ++r)
            if (fitted[r] && (best < 0 || std::abs(r - q) < std::abs(best - q)))
                best = r;
        cubics[q] = cubics[best];
    }

    int id = -1;
    const int middle = Lines / 256;
    if (middle < frames) {
        const auto& raw = raws[middle];
        const Cubic& cubic = cubics[middle];
        for (int m = 0; m < 16; ++m)
            Wedges[m] = EvalCubic(cubic, raw[m]);
        double bestDistance = 10000;
        for (int m = 0; m < 6; ++m) {
            const double distance = (raw[15] - raw[m]) * (raw[15] - raw[m]);
            if (distance < bestDistance) {
                bestDistance = distance;
                id = m;
            }
        }
        if (!identifyOnly) {
            const int p = FramePhase + kFrameLines * middle;
            double sum = 0;
            int count = 0;
            for (int i = p; i < p + kFrameLines && i < Lines; ++i) {
                const double* values = LineStore[i].get();
                if (!values)
                    continue;
                double lineSum = 0;
                for (int w = scol + 3; w <= scol + 42; ++w)
                    lineSum += values[w];
                if (lineSum / 40 > 50) {
                    sum += lineSum / 40;
                    ++count;
                }
            }
            SpaceMean = EvalCubic(cubic, count ? sum / count : 0);
        }
    }
    if (identifyOnly)
        return id;

    // Each line's cubic moves linearly from one frame's centre to the next;
    // lines before the first frame use the first, lines after the last the last.
    for (int i = 0; i < Lines; ++i) {
        double* values = LineStore[i].get();
        if (!values)
            continue;
        const int d = i - FramePhase;
        int f = d / kFrameLines;
        const int o = d % kFrameLines;
        const Cubic* a = nullptr;
        const Cubic* b = nullptr;
        double weightA = 1;
        if (f >= frames) {
            a = &cubics[frames - 1];
        } else if (o < 64) {
            a = &cubics[f];
            if (f >= 1) {
                b = &cubics[f - 1];
                weightA = (o + 64) / 128.0;
            }
        } else {
            a = &cubics[f];
            if (f + 1 < frames) {
                b = &cubics[f + 1];
                weightA = (192 - o) / 128.0;
            }
        }
        for (int w = scol; w < scol + 1001; ++w) {
            double v = EvalCubic(*a, values[w]);
            if (b)
                v = weightA * v + (1 - weightA) * EvalCubic(*b, values[w]);
            values[w] = Clamp(v, 0, 255);
        }
    }
    return id;
}

int TAPT::IdentifyChannelA(bool identifyOnly)
{
    const int id = CalibrateChannel(86, identifyOnly);
    ChannelA = (id >= avhrrCh1 && id <= avhrrCh3A) ? id : avhrrNone;
    if (ChannelA == avhrrNone)
        Flags |= aptNoTelemetry;
    return ChannelA;
}

int TAPT::IdentifyChannelB(bool identifyOnly)
{
    const int id = CalibrateChannel(1126, identifyOnly);
    const bool accepted = id == avhrrCh4 || (id == avhrrCh2 && SpacecraftModel == scNOAA18);
    ChannelB = accepted ? id : avhrrNone;
    if (ChannelB == avhrrNone)
        Flags |= aptNoTelemetry;
    return ChannelB;
}

bool TAPT::IsChannelPairValid(bool loose) const
{
    const bool aValid = ChannelA >= 0 && ChannelA <= 3;
    if (loose)
        return aValid || (ChannelB >= 1 && ChannelB <= 4);
    return aValid && ChannelB == avhrrCh4;
}

void TAPT::Calibrate()
{
    if (Flags & (aptCalibrated | aptNoTelemetry))
        return;
    KeepRawMicros();  // the raw lines change in place below
    Flags &= ~(aptNoTelemetry | aptThermalValid);
    ChannelA = ChannelB = avhrrNone;
    if (!WorkColumn && Lines > 0) {
        WorkColumn.reset(new (std::nothrow) double[Lines]());
        if (!WorkColumn) {
            StopFlags |= aptStopNoMemory;
            return;
        }
    }
    IdentifyChannelA(false);
    IdentifyChannelB(false);
    SetupThermal();
    WorkColumn.reset();
    if (!IsChannelPairValid(false))
        Flags |= aptNoTelemetry;
    Flags |= aptCalibrated;
}

bool TAPT::CheckTelemetry(bool loose)
{
    auto answer = [&] {
        if (!loose)
            return !(Flags & aptNoTelemetry);
        return ChannelA >= 0 || (ChannelB >= 3 && ChannelB <= 4);
    };
    if (Flags & aptCalibrated)
        return answer();
    if (!WorkColumn && Lines > 0) {
        WorkColumn.reset(new (std::nothrow) double[Lines]());
        if (!WorkColumn) {
            StopFlags |= aptStopNoMemory;
            return false;
        }
    }
    ChannelA = ChannelB = avhrrNone;
    IdentifyChannelB(true);
    IdentifyChannelA(true);
    WorkColumn.reset();
    if (!IsChannelPairValid(loose))
        Flags |= aptNoTelemetry;
    return answer();
}

bool TAPT::IdentifyChannel(bool channelB)
{
    if (!(Flags & aptCalibrated)) {
        if (Flags & aptNoTelemetry)
            return false;
        if (!WorkColumn && Lines > 0) {
            WorkColumn.reset(new (std::nothrow) double[Lines]());
            if (!WorkColumn) {
                StopFlags |= aptStopNoMemory;
                return false;
            }
        }
        if (channelB)
            IdentifyChannelB(true);
        else
            IdentifyChannelA(true);
        WorkColumn.reset();
    }
    return !(Flags & aptNoTelemetry);
}

QString TAPT::GetChannelName(bool channelB)
{
    if (Flags & aptNoTelemetry)
        return "N/A";
    if ((Flags & aptCalibrated) || IdentifyChannel(channelB)) {
        if (!channelB && ChannelA >= avhrrCh1 && ChannelA <= avhrrCh3A)
            return ChannelName(ChannelA);
        if (channelB && ChannelB == avhrrCh4)
            return ChannelName(ChannelB);
    }
    return "N/A";
}

bool TAPT::SetupThermal()
{
    Flags &= ~aptThermalValid;
    if ((Flags & aptNoTelemetry) || ChannelB <= avhrrCh3A || SpacecraftModel < 0 || SpacecraftModel > 4)
        return false;
    // A band without coefficients (NOAA 12 channel 5) cannot be calibrated;
    // its formulas would only give NaN.
    const Band& band = kCalibration[SpacecraftModel].band[ChannelB - 3];
    if (band.waveNumber == 0 || band.b == 0)
        return false;
    Flags |= aptThermalValid;
    ComputeBlackbody();
    if (!std::isfinite(ThermalCal.BlackbodyRadiance))
        Flags &= ~aptThermalValid;
    return (Flags & aptThermalValid) != 0;
}

void TAPT::ComputeBlackbody()
{
    ThermalCal.Band = ChannelB - 3;
    const SpacecraftCalibration& cal = kCalibration[SpacecraftModel];
    double sum = 0;
    for (int k = 0; k < 4; ++k) {
        const double count = Wedges[9 + k] * 4;  // 8-bit wedge to 10-bit count
        sum += cal.prt[k].d0 + cal.prt[k].d1 * count + cal.prt[k].d2 * count * count;
    }
    const double blackbodyKelvin = sum / 4;
    const Band& band = cal.band[ThermalCal.Band];
    const double effective = band.a + band.b * blackbodyKelvin;
    const double v = band.waveNumber;
    ThermalCal.BlackbodyRadiance = kC1 * v * v * v / (std::exp(kC2 * v / effective) - 1);
    ThermalCal.SpaceCount = SpaceMean * 4;
    ThermalCal.BlackbodyCount = Wedges[14] * 4;
}

void TAPT::ThermalCalibrate(double x, double& grey, double& kelvin) const
{
    const double n = ThermalCal.SpaceCount - ThermalCal.BlackbodyCount;
    if (n == 0)
        return;
    const Band& band = kCalibration[SpacecraftModel].band[ThermalCal.Band];
    const double v = band.waveNumber;
    const double linear =
        band.ns + (ThermalCal.SpaceCount - 4 * x) * (ThermalCal.BlackbodyRadiance - band.ns) / n;
    const double radiance = linear + band.b0 + band.b1 * linear + band.b2 * linear * linear;
    const double t = radiance == 0 ? 1 : kC1 * v * v * v / radiance + 1;
    double temperature = kZeroCelsius;
    if (t > 0 && t != 1)
        temperature = (kC2 * v / std::log(t) - band.a) / band.b;
    if (!std::isfinite(temperature))
        temperature = kZeroCelsius;
    kelvin = Clamp(temperature, kColdest, kWarmest);
    grey = Clamp((kZeroCelsius - temperature + 40) * 0.01 * 255, 0, 255);
}

void TAPT::GetTemperature(int row, int col, double& grey, double& kelvin) const
{
    grey = 0;
    kelvin = kZeroCelsius;
    if (!(Flags & aptThermalValid))
        return;
    if (row < 0 || row >= Lines || col < 0 || col >= kLineWidth || !LineStore[row])
        return;
    const double value = LineStore[row][col];
    if (SpacecraftModel >= 0 && SpacecraftModel <= 4) {
        ThermalCalibrate(value, grey, kelvin);
    } else {
        grey = Clamp(value, 0, 255);
        kelvin = Clamp((255 - value) * 100 / 255 - 60 + kZeroCelsius, kColdest, kWarmest);
    }
}

bool TAPT::FitWedgeCubic(const double* raw, Cubic& cubic)
{
    return FitPolynomial(raw, kReferenceWedges, 9, 3, cubic.c);
}

double TAPT::EvalCubic(const Cubic& cubic, double x)
{
    return cubic.c[0] + x * (cubic.c[1] + x * (cubic.c[2] + x * cubic.c[3]));
}

bool TAPT::FitPolynomial(const double* x, const double* y, int n, int degree, double* coefficients)
{
    const int size = degree + 1;
    if (size > 8)
        return false;
    double m[64] = {};
    double b[8] = {};
    for (int r = 0; r < size; ++r) {
        for (int c = 0; c < size; ++c) {
            double sum = 0;
            for (int i = 0; i < n; ++i)
                sum += std::pow(x[i], r + c);
            m[r * size + c] = sum;
        }
        double sum = 0;
        for (int i = 0; i < n; ++i)
            sum += y[i] * std::pow(x[i], r);
        b[r] = sum;
    }
    if (!SolveLinear(m, b, size))
        return false;
    std::copy(b, b + size, coefficients);
    return true;
}

bool TAPT::SolveLinear(double* m, double* b, int n)
{
    // Gaussian elimination with row pivoting, row-major n x n; b becomes the
    // solution. A pivot that is zero, or lost in rounding against its column,
    // means the system has no unique solution.
    for (int k = 0; k < n; ++k) {
        int pivot = k;
        for (int r = k + 1; r < n; ++r)
            if (std::fabs(m[r * n + k]) > std::fabs(m[pivot * n + k]))
                pivot = r;
        double rowScale = 0;
        for (int c = k; c < n; ++c)
            rowScale = std::max(rowScale, std::fabs(m[pivot * n + c]));
        if (m[pivot * n + k] == 0 || std::fabs(m[pivot * n + k]) <= 1e-12 * rowScale)
            return false;
        if (pivot != k) {
            for (int c = 0; c < n; ++c)
                std::swap(m[k * n + c], m[pivot * n + c]);
            std::swap(b[k], b[pivot]);
        }
        for (int r = k + 1; r < n; ++r) {
            const double factor = m[r * n + k] / m[k * n + k];
            m[r * n + k] = factor;  // multiplier kept in place
            for (int c = k + 1; c < n; ++c)
                m[r * n + c] -= factor * m[k * n + c];
            b[r] -= factor * b[k];
        }
    }
    for (int k = n - 1; k >= 0; --k) {
        double sum = b[k];
        for (int c = k + 1; c < n; ++c)
            sum -= m[k * n + c] * b[c];
        b[k] = sum / m[k * n + k];
        if (!std::isfinite(b[k]))
            return false;
    }
    return true;
}
