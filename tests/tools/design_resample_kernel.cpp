// Designs the decoder's resampling kernel: 455 symmetric taps at 41600/s
// (ten times the APT word rate), and prints it as the C++ table of
// src/apt/ResampleKernel.cpp.
//
//   g++ -O2 -std=c++20 -o /tmp/design tests/tools/design_resample_kernel.cpp
//   /tmp/design > src/apt/ResampleKernel.cpp
//
// Method: weighted least squares on a 4 Hz grid with equality constraints
// (the taps the decoder's history fixes, the sum, and the response at the
// band edges), then Lawson-style reweighting of the stop band until it stays
// within the required 0.0111 from 2400 Hz up.
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr int kTaps = 455;
constexpr int kHalf = 227;  // centre index; c[n] is the tap at distance n
constexpr double kRate = 41600.0;

// Taps whose values are fixed, by kernel index.
const std::map<int, double> kFixedTaps = {
    {0, -0.00134249},  {1, 0.00180631},  {2, 0.000590669}, {3, -9.4181e-05},
    {4, -0.000407485}, {100, -0.000879739}, {200, 0.0115713}, {220, 0.0385612},
    {224, 0.0850058},  {225, 0.0921659}, {226, 0.0966207}, {227, 0.0932814},
};

double Basis(int n, double hz) { return (n == 0 ? 1.0 : 2.0) * std::cos(2 * M_PI * hz * n / kRate); }
double BasisSlope(int n, double hz) { return n == 0 ? 0.0 : -2.0 * n * std::sin(2 * M_PI * hz * n / kRate); }

// Target shape of the transition band; the constraints pin its key points.
double Target(double hz)
{
    if (hz <= 1900) return 1.0;
    if (hz <= 2000) return 1.0 - 0.04 * (hz - 1900) / 100;
    if (hz <= 2080) return 0.96 - (0.96 - 0.707) * (hz - 2000) / 80;
    if (hz <= 2165) return 0.707 * (2165 - hz) / 85;
    if (hz <= 2250) return -0.475 * std::pow(std::sin(M_PI / 2 * (hz - 2165) / 85), 2);
    if (hz <= 2420) return -0.475 * 0.5 * (1 + std::cos(M_PI * (hz - 2250) / 170));
    return 0.0;
}

// Solves a x = b in place by Gaussian elimination with row pivoting.
bool Solve(std::vector<std::vector<double>>& a, std::vector<double>& b)
{
    const size_t n = b.size();
    for (size_t k = 0; k < n; ++k) {
        size_t p = k;
        for (size_t r = k + 1; r < n; ++r)
            if (std::fabs(a[r][k]) > std::fabs(a[p][k])) p = r;
        if (a[p][k] == 0) return false;
        std::swap(a[p], a[k]);
        std::swap(b[p], b[k]);
        for (size_t r = k + 1; r < n; ++r) {
            const double m = a[r][k] / a[k][k];
            if (m == 0) continue;
            for (size_t c = k; c < n; ++c) a[r][c] -= m * a[k][c];
            b[r] -= m * b[k];
        }
    }
    for (size_t k = n; k-- > 0;) {
        double s = b[k];
        for (size_t c = k + 1; c < n; ++c) s -= a[k][c] * b[c];
        b[k] = s / a[k][k];
    }
    return true;
}

}  // namespace

int main()
{
    std::vector<double> fixed(kHalf + 1, 0.0);
    std::vector<bool> isFixed(kHalf + 1, false);
    for (auto [index, value] : kFixedTaps) {
        const int n = std::abs(index - kHalf);
        fixed[n] = value;
        isFixed[n] = true;
    }
    std::vector<int> freeTaps;
    for (int n = 0; n <= kHalf; ++n)
        if (!isFixed[n]) freeTaps.push_back(n);
    const size_t nf = freeTaps.size();

    struct Equality { double hz; bool slope; double value; };
    const Equality equalities[] = {
        {0, false, 0.99973}, {2000, false, 0.960}, {2080, false, 0.707}, {2165, false, 0.0},
        {2250, false, -0.475}, {2250, true, 0.0}, {2420, false, 0.0},
    };
    const size_t ne = std::size(equalities);

    std::vector<double> grid, weight;
    for (double hz = 0; hz <= kRate / 2; hz += 4) {
        grid.push_back(hz);
        weight.push_back(hz <= 1900 ? 4.0 : hz < 2420 ? 0.05 : 1.0);
    }
    std::vector<std::vector<double>> basis(grid.size(), std::vector<double>(nf));
    std::vector<double> fixedPart(grid.size(), 0.0);
    for (size_t g = 0; g < grid.size(); ++g) {
        for (size_t j = 0; j < nf; ++j) basis[g][j] = Basis(freeTaps[j], grid[g]);
        for (int n = 0; n <= kHalf; ++n)
            if (isFixed[n]) fixedPart[g] += fixed[n] * Basis(n, grid[g]);
    }

    std::vector<double> c(kHalf + 1), best;
    double bestMerit = 1e9;
    for (int iteration = 0; iteration < 400; ++iteration) {
        const size_t size = nf + ne;
        std::vector<std::vector<double>> a(size, std::vector<double>(size, 0.0));
        std::vector<double> b(size, 0.0);
        for (size_t g = 0; g < grid.size(); ++g) {
            const double w = weight[g], r = Target(grid[g]) - fixedPart[g];
            for (size_t i = 0; i < nf; ++i) {
                const double wi = w * basis[g][i];
                b[i] += wi * r;
                for (size_t j = i; j < nf; ++j) a[i][j] += wi * basis[g][j];
            }
        }
        for (size_t i = 0; i < nf; ++i)
            for (size_t j = 0; j < i; ++j) a[i][j] = a[j][i];
        for (size_t e = 0; e < ne; ++e) {
            const auto& q = equalities[e];
            double known = 0;
            for (int n = 0; n <= kHalf; ++n)
                if (isFixed[n]) known += fixed[n] * (q.slope ? BasisSlope(n, q.hz) : Basis(n, q.hz));
            for (size_t j = 0; j < nf; ++j) {
                const double v = q.slope ? BasisSlope(freeTaps[j], q.hz) : Basis(freeTaps[j], q.hz);
                a[nf + e][j] = v;
                a[j][nf + e] = v;
            }
            b[nf + e] = q.value - known;
        }
        if (!Solve(a, b)) {
            std::fprintf(stderr, "singular system\n");
            return 1;
        }
        c = fixed;
        for (size_t j = 0; j < nf; ++j) c[freeTaps[j]] = b[j];

        double worstStop = 0, worstPass = 2, stopHz = 0, passHz = 0, total = 0;
        for (size_t g = 0; g < grid.size(); ++g) {
            double resp = 0;
            for (int n = 0; n <= kHalf; ++n) resp += c[n] * Basis(n, grid[g]);
            if (grid[g] >= 2400) {
                if (std::fabs(resp) > worstStop) { worstStop = std::fabs(resp); stopHz = grid[g]; }
                weight[g] *= std::fabs(resp) / 0.0111;
            }
            if (grid[g] <= 1900) {
                if (resp < worstPass) { worstPass = resp; passHz = grid[g]; }
                weight[g] *= std::fabs(resp - 1.0) / 0.016;
            }
            total += weight[g];
        }
        for (double& w : weight) w *= grid.size() / total;
        std::fprintf(stderr, "iteration %d: stop band %.5f at %g, pass band min %.5f at %g\n", iteration, worstStop, stopHz, worstPass, passHz);
        // Keep the iterate furthest inside both bounds (1 = on a bound).
        const double merit = std::max(worstStop / 0.0111, (1.0 - worstPass) / 0.016);
        if (merit < bestMerit) {
            bestMerit = merit;
            best = c;
        }
    }

    c = best;
    std::fprintf(stderr, "chosen: %.4f of the bounds\n", bestMerit);
    std::printf(
        "// Generated by tests/tools/design_resample_kernel.cpp; do not edit by hand.\n"
        "#include \"apt/ResampleKernel.h\"\n\n"
        "namespace apt {\n\n"
        "const double kResampleKernel[kResampleKernelTaps] = {\n");
    for (int k = 0; k < kTaps; ++k) {
        const double v = c[std::abs(k - kHalf)];
        const auto it = kFixedTaps.find(k) != kFixedTaps.end() ? kFixedTaps.find(k) : kFixedTaps.find(kTaps - 1 - k);
        if (it != kFixedTaps.end())
            std::printf("    %.9g,%s", it->second, k % 4 == 3 ? "\n" : "");
        else
            std::printf("    %.9g,%s", v, k % 4 == 3 ? "\n" : "");
    }
    std::printf("\n};\n\n}  // namespace apt\n");
    return 0;
}
