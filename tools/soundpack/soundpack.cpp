// soundpack - synthesises the twelve effect sounds the module loads from
// "Skyvane\Sound": mono 16-bit PCM at 22050 Hz. Loops are cross-faded into
// themselves so that their end runs on into their start; one-shots rise
// from silence and fade back to it. Everything is computed with plain
// arithmetic from fixed seeds, so every build writes the same bytes; the
// files shipped in package/Sound are this program's output (a test checks).
//
//   soundpack OUTPUT-FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

using Signal = std::vector<double>;

// [SECTION] Deterministic building blocks

struct Noise {
    std::uint32_t state;
    double Next() {  // -1 .. 1
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return double(state) / 2147483648.0 - 1.0;
    }
};

// Own sine: the same digits from every C library.
double Sine(double x) {
    double turns = x / (2.0 * kPi);
    x -= 2.0 * kPi * std::floor(turns + 0.5);  // -pi .. pi
    if (x > kPi / 2) x = kPi - x;
    if (x < -kPi / 2) x = -kPi - x;
    double x2 = x * x, term = x, sum = x;
    for (int n = 1; n <= 6; ++n) {
        term *= -x2 / double((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

int Samples(double seconds) {
    return int(seconds * kRate + 0.5);
}

// A value that wanders smoothly through `points` random levels (0..1) and
// comes back to the first after `period` samples: a periodic modulation.
struct Wander {
    std::vector<double> points;
    int period;
    Wander(Noise& n, int count, int periodSamples) : period(periodSamples) {
        for (int i = 0; i < count; ++i) points.push_back(0.5 + 0.5 * n.Next());
    }
    double At(int i) const {
        double pos = double(((i % period) + period) % period) * double(points.size()) / period;
        int k = int(pos);
        double f = pos - k, w = 0.5 - 0.5 * Sine(kPi * f + kPi / 2);  // cosine ease
        return points[std::size_t(k) % points.size()] * (1 - w) + points[std::size_t(k + 1) % points.size()] * w;
    }
};

// Chamberlin state-variable filter: low, band and high outputs.
struct Svf {
    double low = 0, band = 0, high = 0;
    void Step(double x, double cutoff, double q) {
        double f = 2.0 * Sine(kPi * cutoff / kRate);
        low += f * band;
        high = x - low - q * band;
        band += f * high;
    }
};

struct OnePole {
    double y = 0;
    double Step(double x, double cutoff) {
        double w = 2.0 * kPi * cutoff / kRate;
        y += w / (1.0 + w) * (x - y);
        return y;
    }
};

// A loop of n samples from n + overlap: the extra tail fades in over the
// head with equal power, so sample n - 1 runs on into sample 0.
Signal Loop(const Signal& x, int n, int overlap) {
    Signal out(x.begin(), x.begin() + n);
    for (int i = 0; i < overlap; ++i) {
        double t = (i + 0.5) / overlap;
        out[std::size_t(i)] = x[std::size_t(i)] * Sine(kPi / 2 * t) + x[std::size_t(n + i)] * Sine(kPi / 2 * (1 - t));
    }
    return out;
}

// A one-shot rises over `attack` seconds and fades out over `release`.
void Shape(Signal* x, double attack, double release) {
    int a = Samples(attack), r = Samples(release), n = int(x->size());
    for (int i = 0; i < n; ++i) {
        double g = 1.0;
        if (i < a) g *= 0.5 - 0.5 * Sine(kPi * i / a + kPi / 2);
        if (i >= n - r) g *= 0.5 - 0.5 * Sine(kPi * (n - 1 - i) / r + kPi / 2);
        (*x)[std::size_t(i)] *= g;
    }
}

// Scale to the peak wanted, as 16-bit samples.
std::vector<std::int16_t> ToPcm(const Signal& x, double peak) {
    double top = 1e-9;
    for (double v : x) top = std::fmax(top, std::fabs(v));
    std::vector<std::int16_t> out;
    for (double v : x) out.push_back(std::int16_t(std::floor(v / top * peak * 32767.0 + 0.5)));
    return out;
}

// A burst of filtered noise decaying from `at` (seconds): footsteps, knocks.
void AddBurst(Signal* x, Noise& n, double at, double gain, double cutoff, double q, double decay, bool high) {
    Svf f;
    int start = Samples(at), attack = Samples(0.003);
    double env = 1.0, fall = 1.0 / (decay * kRate);
    for (int i = start; i < int(x->size()) && env > 1e-4; ++i) {
        f.Step(n.Next(), cutoff, q);
        double rise = i - start < attack ? double(i - start) / attack : 1.0;
        (*x)[std::size_t(i)] += gain * rise * env * (high ? f.high : f.band);
        env *= 1.0 - fall;
    }
}

// A damped resonance struck at `at`: the body of a knock.
void AddThump(Signal* x, double at, double gain, double frequency, double decay) {
    int start = Samples(at), attack = Samples(0.002);
    double env = 1.0, fall = 1.0 / (decay * kRate);
    for (int i = start; i < int(x->size()) && env > 1e-4; ++i) {
        double t = double(i - start) / kRate;
        double rise = i - start < attack ? double(i - start) / attack : 1.0;
        (*x)[std::size_t(i)] += gain * rise * env * Sine(2 * kPi * frequency * t);
        env *= 1.0 - fall;
    }
}

// [SECTION] The twelve sounds

// Wind: noise through a band that opens and closes with the gusts, over a
// low rush. The stronger wind is louder, brighter and gusts deeper and faster.
Signal Wind(std::uint32_t seed, double seconds, int gusts, double depth, double centre) {
    int n = Samples(seconds), overlap = Samples(0.15);
    Noise noise{seed};
    Wander gust(noise, gusts, n), flutter(noise, gusts * 6, n);
    Svf band;
    OnePole rush1, rush2;
    Signal x;
    for (int i = 0; i < n + overlap; ++i) {
        double g = gust.At(i), level = (1.0 - depth) + depth * g * (0.85 + 0.15 * flutter.At(i));
        double v = noise.Next();
        band.Step(v, centre * (0.6 + 0.8 * g), 0.7);
        double low = rush2.Step(rush1.Step(v, 180.0), 180.0);
        x.push_back(level * (band.band + 2.5 * low));
    }
    return Loop(x, n, overlap);
}

// Airframe stress: stick-slip creaks (trains of clicks through two body
// resonances) twice a second over a faint groan.
Signal Stress() {
    int n = Samples(1.0), overlap = Samples(0.1);
    Noise noise{0x57E55u};
    Signal clicks(std::size_t(n + overlap), 0.0);
    const struct {
        double at, length, rate;
    } creaks[] = {{0.12, 0.28, 38.0}, {0.58, 0.24, 55.0}};
    for (const auto& c : creaks) {
        double t = 0.0;
        while (t < c.length) {
            double hump = Sine(kPi * t / c.length);
            std::size_t at = std::size_t(Samples(c.at + t));
            if (at < clicks.size()) clicks[at] += hump * (0.7 + 0.3 * noise.Next());
            t += (1.0 + 0.25 * noise.Next()) / (c.rate * (0.8 + 0.4 * t / c.length));
        }
    }
    Svf body1, body2;
    OnePole groan1, groan2;
    Signal x;
    for (int i = 0; i < n + overlap; ++i) {
        double in = clicks[std::size_t(i)];
        body1.Step(in, 240.0, 0.06);
        body2.Step(in, 690.0, 0.1);
        double groan = groan2.Step(groan1.Step(noise.Next(), 70.0), 70.0);
        x.push_back(body1.band + 0.5 * body2.band + 0.35 * groan);
    }
    return Loop(x, n, overlap);
}

// Footsteps: a heel thump, the crunch of the ground, a softer toe.
Signal Steps(std::uint32_t seed, double seconds, const double (&at)[2], double weight, double crunch) {
    int n = Samples(seconds), overlap = Samples(0.05);
    Noise noise{seed};
    Signal x(std::size_t(n + overlap), 0.0);
    for (int s = 0; s < 2; ++s) {
        double w = s ? weight * 0.85 : weight;
        AddBurst(&x, noise, at[s], w, 160.0, 0.8, 0.045, false);
        AddBurst(&x, noise, at[s] + 0.008, crunch * w, 3200.0, 0.9, 0.03, true);
        AddBurst(&x, noise, at[s] + 0.07, 0.5 * w, 220.0, 0.8, 0.03, false);
    }
    return Loop(x, n, overlap);
}

// Crouching: clothes rustling in small grains, and a knee set down.
Signal Crouch() {
    int n = Samples(0.45);
    Noise noise{0xC20C4u};
    Wander grains(noise, 40, n);
    Svf rustle;
    Signal x;
    for (int i = 0; i < n; ++i) {
        rustle.Step(noise.Next(), 3000.0, 0.9);
        double hump = Sine(kPi * i / n);
        x.push_back(rustle.high * hump * hump * (0.3 + 0.7 * grains.At(i)));
    }
    AddBurst(&x, noise, 0.3, 1.5, 150.0, 0.8, 0.04, false);
    Shape(&x, 0.02, 0.05);
    return x;
}

// Rolling on the ground: a deep rumble with bumps and a rattle.
Signal GroundNoise() {
    int n = Samples(1.0), overlap = Samples(0.1);
    Noise noise{0x6C0D0u};
    Wander roll(noise, 7, n);
    OnePole r1, r2;
    Svf rattle;
    Signal x;
    for (int i = 0; i < n + overlap; ++i) {
        double v = noise.Next();
        double rumble = r2.Step(r1.Step(v, 95.0), 95.0);
        rattle.Step(v, 420.0, 0.3);
        x.push_back((0.7 + 0.3 * roll.At(i)) * (4.0 * rumble + 0.12 * rattle.band));
    }
    for (double at : {0.13, 0.41, 0.77}) AddThump(&x, at, 0.5, 55.0, 0.05);
    return Loop(x, n, overlap);
}

// Overspeed: a broad roar fluttering ten times in the loop.
Signal Overspeed() {
    int n = Samples(0.8), overlap = Samples(0.1);
    Noise noise{0x0FE25u};
    Svf roar;
    OnePole low1, low2;
    Signal x;
    for (int i = 0; i < n + overlap; ++i) {
        double v = noise.Next();
        roar.Step(v, 900.0, 0.8);
        double low = low2.Step(low1.Step(v, 200.0), 200.0);
        double flutter = 0.75 + 0.25 * Sine(2 * kPi * 10.0 * i / n);
        x.push_back(flutter * (roar.band + 1.5 * low));
    }
    return Loop(x, n, overlap);
}

// Screech: a harsh squeal with a wobble, over a band of hiss.
Signal Screech(std::uint32_t seed, double seconds, double from, double to, double roughness) {
    int n = Samples(seconds);
    Noise noise{seed};
    Svf hiss;
    Signal x;
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / n;
        double f = (from + (to - from) * t) * (1.0 + 0.03 * Sine(2 * kPi * 23.0 * i / kRate));
        phase += 2 * kPi * f / kRate;
        double tone = Sine(phase) + 0.45 * Sine(2 * phase) + 0.2 * Sine(3 * phase);
        hiss.Step(noise.Next(), from * 1.1, 0.5);
        x.push_back(tone * (1.0 - roughness * 0.5 * (1.0 + noise.Next())) + 0.6 * hiss.band);
    }
    Shape(&x, 0.015, 0.2);
    return x;
}

// Turbulence knock: a struck airframe panel, once or twice.
Signal Knock(std::uint32_t seed, double seconds, bool twice) {
    Signal x(std::size_t(Samples(seconds)), 0.0);
    Noise noise{seed};
    AddThump(&x, 0.004, 1.0, twice ? 110.0 : 85.0, 0.06);
    AddThump(&x, 0.004, 0.35, 420.0, 0.035);
    AddBurst(&x, noise, 0.004, 0.6, 4000.0, 0.9, 0.006, true);
    if (twice) {
        AddThump(&x, 0.095, 0.8, 70.0, 0.06);
        AddBurst(&x, noise, 0.095, 0.4, 3500.0, 0.9, 0.006, true);
    }
    Shape(&x, 0.002, 0.06);
    return x;
}

// [SECTION] Files

bool WriteWave(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> b;
    auto put32 = [&b](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
    };
    auto put16 = [&b](std::uint32_t v) {
        b.push_back(std::uint8_t(v));
        b.push_back(std::uint8_t(v >> 8));
    };
    auto text = [&b](const char* t) { b.insert(b.end(), t, t + 4); };
    std::uint32_t data = std::uint32_t(samples.size() * 2);
    text("RIFF");
    put32(36 + data);
    text("WAVE");
    text("fmt ");
    put32(16);
    put16(1);           // PCM
    put16(1);           // mono
    put32(kRate);
    put32(kRate * 2);   // bytes a second
    put16(2);           // bytes a sample
    put16(16);
    text("data");
    put32(data);
    for (std::int16_t s : samples) put16(std::uint16_t(s));
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(b.data(), 1, b.size(), out) == b.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundpack OUTPUT-FOLDER\n");
        return 2;
    }
    const double walk[2] = {0.07, 0.52}, run[2] = {0.06, 0.36};  // after the cross-fade
    const struct {
        const char* name;
        Signal signal;
        double peak;  // of full scale
    } sounds[] = {
        {"Wind 4-9.wav", Wind(0x41D49u, 1.5, 4, 0.5, 700.0), 0.4},
        {"Wind 10-X.wav", Wind(0x41D10u, 1.5, 6, 0.85, 1100.0), 0.8},
        {"Stress.wav", Stress(), 0.6},
        {"Walk.wav", Steps(0x3A1Cu, 0.9, walk, 1.0, 0.35), 0.6},
        {"Run.wav", Steps(0x2C0Eu, 0.6, run, 1.0, 0.6), 0.75},
        {"Crouch.wav", Crouch(), 0.5},
        {"Ground Noise.wav", GroundNoise(), 0.7},
        {"Overspeed Noise.wav", Overspeed(), 0.7},
        {"Screech1.wav", Screech(0x5C1u, 0.55, 1750.0, 1650.0, 0.15), 0.55},
        {"Screech2.wav", Screech(0x5C2u, 0.65, 2300.0, 1900.0, 0.35), 0.55},
        {"Turbulence1.wav", Knock(0x7B1u, 0.3, false), 0.9},
        {"Turbulence2.wav", Knock(0x7B2u, 0.35, true), 0.9},
    };
    for (const auto& s : sounds) {
        std::string path = std::string(argv[1]) + "/" + s.name;
        if (!WriteWave(path, ToPcm(s.signal, s.peak))) {
            std::fprintf(stderr, "soundpack: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
