// Builds the YM-2149 combined volume table from a model of the chip's
// output stage and writes it as C++ source.
//
// Model: each of the three voice DACs drives a current d(level) into one
// shared load, whose voltage F(I) is expansive at small currents and
// compressed as the summed current grows:
//
//     F(I) = I^p / (1 + I / c)^q
//
// An entry of the table is F(d(a) + d(b) + d(c)), which makes it symmetric
// in the three levels and rising with each of them. The measured output of
// one voice alone fixes d: d(l) = F^-1(one_voice[l]). The load's parameters
// p, q and c are fitted so that three voices at one level come as close as
// the model allows to the measured row. The final load curve then passes
// through all 31 measured points (one voice at d(l), three voices at
// 3 d(l)), in logarithms, by a cubic that keeps the fitted model's local
// exponent at each point, limited where needed so that it keeps rising.
// Both measured rows are therefore reproduced exactly and the rest follows
// the model's shape.
//
// Usage: ymtable OUTPUT.cpp
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int LEVELS = 16;
constexpr double PEAK = 65535.0;

// Measured output rows, 0..65,535 scale.
constexpr std::array<double, LEVELS> ONE_VOICE = {
    0, 110, 230, 355, 582, 801, 1227, 1701, 2471, 3403, 5071, 6940, 10426, 14762, 23799, 36754};
constexpr std::array<double, LEVELS> THREE_VOICES = {
    0, 414, 832, 1261, 1860, 2616, 3741, 5139, 7224, 9906, 13892, 18898, 26359, 35979, 50235, 65535};

struct load_t {
    double p;
    double q;
    double c;
};

double load(const load_t& m, double i)
{
    return i <= 0 ? 0 : std::pow(i, m.p) / std::pow(1 + i / m.c, m.q);
}

// Current at which the load curve stops rising (infinite when q <= p).
double load_top(const load_t& m)
{
    return m.q <= m.p ? INFINITY : m.p * m.c / (m.q - m.p);
}

// The current giving output v on the rising part of the load curve; NaN
// when the curve never reaches v.
double inverse_load(const load_t& m, double v)
{
    if (v <= 0)
        return 0;
    double lo = 0;
    double hi = std::min(load_top(m), 1e12);
    if (load(m, hi) < v)
        return NAN;
    for (int i = 0; i < 100; ++i) {
        const double mid = 0.5 * (lo + hi);
        (load(m, mid) < v ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

bool drives(const load_t& m, std::array<double, LEVELS>& d)
{
    for (int l = 0; l < LEVELS; ++l) {
        d[l] = inverse_load(m, ONE_VOICE[l]);
        if (std::isnan(d[l]))
            return false;
    }
    return true;
}

// Squared log error of the modelled three-voice row.
double misfit(const load_t& m)
{
    std::array<double, LEVELS> d;
    if (m.p <= 0 || m.q < 0 || m.c <= 0 || !drives(m, d))
        return INFINITY;
    double e = 0;
    for (int l = 1; l < LEVELS; ++l) {
        const double i = 3 * d[l];
        if (i > load_top(m))
            return INFINITY;
        const double r = std::log(load(m, i) / THREE_VOICES[l]);
        e += r * r;
    }
    return e;
}

// Nelder-Mead over (log p, log q, log c).
load_t fit()
{
    auto make = [](const std::array<double, 3>& x) { return load_t{std::exp(x[0]), std::exp(x[1]), std::exp(x[2])}; };
    std::array<std::array<double, 3>, 4> s;
    s[0] = {std::log(1.2), std::log(0.8), std::log(2000.0)};
    for (int k = 1; k < 4; ++k) {
        s[k] = s[0];
        s[k][k - 1] += 0.5;
    }
    std::array<double, 4> f;
    for (int k = 0; k < 4; ++k)
        f[k] = misfit(make(s[k]));
    for (int iter = 0; iter < 1000; ++iter) {
        std::array<int, 4> o = {0, 1, 2, 3};
        std::sort(o.begin(), o.end(), [&](int a, int b) { return f[a] < f[b]; });
        const int best = o[0], worst = o[3], second = o[2];
        std::array<double, 3> mid = {0, 0, 0};
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 3; ++j)
                mid[j] += s[o[k]][j] / 3;
        auto along = [&](double t) {
            std::array<double, 3> x;
            for (int j = 0; j < 3; ++j)
                x[j] = mid[j] + t * (s[worst][j] - mid[j]);
            return x;
        };
        const auto xr = along(-1);
        const double fr = misfit(make(xr));
        if (fr < f[best]) {
            const auto xe = along(-2);
            const double fe = misfit(make(xe));
            if (fe < fr) {
                s[worst] = xe;
                f[worst] = fe;
            } else {
                s[worst] = xr;
                f[worst] = fr;
            }
        } else if (fr < f[second]) {
            s[worst] = xr;
            f[worst] = fr;
        } else {
            const auto xc = along(0.5);
            const double fc = misfit(make(xc));
            if (fc < f[worst]) {
                s[worst] = xc;
                f[worst] = fc;
            } else {
                for (int k = 1; k < 4; ++k) {
                    for (int j = 0; j < 3; ++j)
                        s[o[k]][j] = s[best][j] + 0.5 * (s[o[k]][j] - s[best][j]);
                    f[o[k]] = misfit(make(s[o[k]]));
                }
            }
        }
    }
    int best = 0;
    for (int k = 1; k < 4; ++k)
        if (f[k] < f[best])
            best = k;
    return make(s[best]);
}

// Cubic Hermite interpolation through (x, y) with the given slopes, limited
// (Fritsch-Carlson) so that it rises wherever the points rise.
struct hermite_t {
    std::vector<double> x, y, m;

    hermite_t(std::vector<double> xs, std::vector<double> ys, std::vector<double> slopes)
        : x(std::move(xs)), y(std::move(ys)), m(std::move(slopes))
    {
        for (size_t i = 0; i + 1 < x.size(); ++i) {
            const double delta = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
            if (delta <= 0) {
                m[i] = m[i + 1] = 0;
                continue;
            }
            m[i] = std::max(m[i], 0.0);
            m[i + 1] = std::max(m[i + 1], 0.0);
            const double a = m[i] / delta, b = m[i + 1] / delta;
            if (a * a + b * b > 9) {
                const double t = 3 / std::sqrt(a * a + b * b);
                m[i] = t * a * delta;
                m[i + 1] = t * b * delta;
            }
        }
    }

    double operator()(double t) const
    {
        if (t <= x.front())
            return y.front();
        if (t >= x.back())
            return y.back();
        const size_t i = std::upper_bound(x.begin(), x.end(), t) - x.begin() - 1;
        const double h = x[i + 1] - x[i];
        const double u = (t - x[i]) / h;
        const double u2 = u * u, u3 = u2 * u;
        return (2 * u3 - 3 * u2 + 1) * y[i] + (u3 - 2 * u2 + u) * h * m[i] + (-2 * u3 + 3 * u2) * y[i + 1] +
               (u3 - u2) * h * m[i + 1];
    }
};

// The load curve's local exponent, d log F / d log I.
double load_exponent(const load_t& m, double i)
{
    return m.p - m.q * i / (m.c + i);
}

int fail(const char* what)
{
    std::fprintf(stderr, "ymtable: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return fail("usage: ymtable OUTPUT.cpp");

    const load_t m = fit();
    std::array<double, LEVELS> d;
    if (!drives(m, d))
        return fail("the fitted load cannot reach the measured levels");

    // The measured points on the load curve, by log current and log output;
    // between them the curve keeps the model's local exponent.
    std::vector<std::pair<double, double>> pts;
    for (int l = 1; l < LEVELS; ++l) {
        pts.emplace_back(std::log(d[l]), std::log(ONE_VOICE[l]));
        pts.emplace_back(std::log(3 * d[l]), std::log(THREE_VOICES[l]));
    }
    std::sort(pts.begin(), pts.end());
    std::vector<double> xs, ys, slopes;
    for (const auto& [x, y] : pts) {
        xs.push_back(x);
        ys.push_back(y);
        slopes.push_back(load_exponent(m, std::exp(x)));
    }
    const hermite_t curve(xs, ys, slopes);
    auto output = [&](double i) { return i <= 0 ? 0.0 : std::exp(curve(std::log(i))); };

    std::vector<unsigned> table(LEVELS * LEVELS * LEVELS);
    for (int a = 0; a < LEVELS; ++a)
        for (int b = 0; b < LEVELS; ++b)
            for (int c = 0; c < LEVELS; ++c) {
                const double v = std::nearbyint(output(d[a] + d[b] + d[c]));
                table[a * 256 + b * 16 + c] = static_cast<unsigned>(std::clamp(v, 0.0, PEAK));
            }

    for (int l = 0; l < LEVELS; ++l)
        if (table[l] != ONE_VOICE[l] || table[l * 0x111] != THREE_VOICES[l])
            return fail("the table misses a measured row");
    for (int i = 0; i < LEVELS * LEVELS * LEVELS; ++i)
        for (int shift : {0, 4, 8})
            if (((i >> shift) & 15) < 15 && table[i + (1 << shift)] <= table[i])
                return fail("the table does not rise with every level");

    FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return fail("cannot write the output file");
    std::fprintf(out,
                 "// Generated by tools/ymtable from its output stage model; do not edit.\n"
                 "// Load F(I) = I^p / (1 + I/c)^q with p = %.6f, q = %.6f, c = %.3f.\n"
                 "#include \"sc68/chips/ym2149.h\"\n\n"
                 "const uint16_t ym_volume_table[YM_VOLUME_ENTRIES] = {\n",
                 m.p, m.q, m.c);
    for (int i = 0; i < LEVELS * LEVELS * LEVELS; ++i)
        std::fprintf(out, "%s%5u,%s", i % 16 ? " " : "    ", table[i], i % 16 == 15 ? "\n" : "");
    std::fprintf(out, "};\n");
    if (std::fclose(out) != 0)
        return fail("cannot write the output file");
    return 0;
}
