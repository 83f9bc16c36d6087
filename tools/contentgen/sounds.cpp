// Sound synthesis: the looping title tune, the flight wind and the short jingles.
#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

struct Stereo {
    std::vector<float> l, r;
    explicit Stereo(size_t n) : l(n, 0), r(n, 0) {}
    size_t Size() const { return l.size(); }
};

class Noise {
public:
    explicit Noise(uint32_t seed) : s_(seed) {}
    float Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return (s_ & 0xFFFFFF) / float(0x800000) - 1.0f;
    }

private:
    uint32_t s_;
};

double Freq(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

bool WriteWav(const std::string& path, const Stereo& s, int channels) {
    std::vector<int16_t> pcm;
    pcm.reserve(s.Size() * channels);
    for (size_t i = 0; i < s.Size(); ++i) {
        float v[2] = {s.l[i], s.r[i]};
        if (channels == 1) v[0] = 0.5f * (v[0] + v[1]);
        for (int c = 0; c < channels; ++c)
            pcm.push_back(int16_t(std::lround(std::clamp(v[c], -1.0f, 1.0f) * 32767.0f)));
    }
    uint32_t dataBytes = uint32_t(pcm.size() * 2);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(uint16_t(channels));
    u32(kRate);
    u32(uint32_t(kRate * channels * 2));
    u16(uint16_t(channels * 2));
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
    std::fwrite(pcm.data(), 2, pcm.size(), f);
    return std::fclose(f) == 0;
}

// Short fades at both ends so a one-shot starts and stops without a click.
void EdgeFades(Stereo& s, double seconds = 0.005) {
    size_t n = std::min(s.Size() / 2, size_t(seconds * kRate));
    for (size_t i = 0; i < n; ++i) {
        float g = float(i) / n;
        s.l[i] *= g, s.r[i] *= g;
        s.l[s.Size() - 1 - i] *= g, s.r[s.Size() - 1 - i] *= g;
    }
}

void Normalize(Stereo& s, float peak) {
    float m = 1e-6f;
    for (size_t i = 0; i < s.Size(); ++i) m = std::max({m, std::fabs(s.l[i]), std::fabs(s.r[i])});
    for (size_t i = 0; i < s.Size(); ++i) s.l[i] *= peak / m, s.r[i] *= peak / m;
}

enum class Voice { Lead, Bass, Pad, Bell, Brass };

float Oscillator(Voice v, double phase, double t) {
    double p = phase - std::floor(phase);
    switch (v) {
    case Voice::Lead:
        return float(0.6 * std::sin(2 * kPi * p) + 0.25 * std::sin(4 * kPi * p) + 0.12 * std::sin(6 * kPi * p));
    case Voice::Bass: return float(p < 0.5 ? 4 * p - 1 : 3 - 4 * p); // triangle
    case Voice::Pad: return float(std::sin(2 * kPi * p) + 0.3 * std::sin(2 * kPi * 2.003 * p));
    case Voice::Bell:
        return float(std::sin(2 * kPi * p) + 0.5 * std::sin(2 * kPi * 2.76 * p) * std::exp(-t * 6) +
                     0.25 * std::sin(2 * kPi * 5.4 * p) * std::exp(-t * 9));
    case Voice::Brass: {
        double saw = 0;
        for (int h = 1; h <= 8; ++h)
            saw += std::sin(2 * kPi * h * p) / h * std::exp(-0.15 * h * (1 - std::min(1.0, t * 8)));
        return float(saw * 0.6);
    }
    }
    return 0;
}

// Adds one note; samples past the end wrap to the start when `wrap` is set (the seamless loop).
void AddNote(Stereo& s, Voice v, int midi, double start, double length, float gain, float pan, bool wrap,
             double attack = 0.01, double release = 0.08) {
    double f = Freq(midi);
    size_t n0 = size_t(start * kRate), total = size_t((length + release) * kRate);
    for (size_t i = 0; i < total; ++i) {
        double t = double(i) / kRate;
        double env = std::min(1.0, t / attack);
        if (v == Voice::Bell || v == Voice::Bass) env *= std::exp(-t * (v == Voice::Bell ? 3.0 : 2.2));
        if (t > length) env *= std::max(0.0, 1 - (t - length) / release);
        double vib =
            v == Voice::Lead || v == Voice::Brass ? 0.004 * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t * 3) : 0;
        float x = Oscillator(v, f * t * (1 + vib), t) * float(env) * gain;
        size_t k = n0 + i;
        if (k >= s.Size()) {
            if (!wrap) break;
            k %= s.Size();
        }
        s.l[k] += x * (1 - pan) * 0.7f;
        s.r[k] += x * (1 + pan) * 0.7f;
    }
}

void AddDrum(Stereo& s, int kind, double start, Noise& noise, float gain) {
    size_t n0 = size_t(start * kRate);
    double len = kind == 0 ? 0.25 : (kind == 1 ? 0.18 : 0.05);
    float hp = 0;
    for (size_t i = 0; i < size_t(len * kRate); ++i) {
        double t = double(i) / kRate;
        float x;
        if (kind == 0) {
            x = float(std::sin(2 * kPi * (50 * t + 60 * (1 - std::exp(-t * 30)) / 30)) * std::exp(-t * 14));
        } else {
            float w = noise.Next();
            x = w - hp; // crude high-pass for crisp snares and hats
            hp = hp * 0.6f + w * 0.4f;
            x *= float(std::exp(-t * (kind == 1 ? 22 : 70)));
            if (kind == 1) x += float(0.4 * std::sin(2 * kPi * 190 * t) * std::exp(-t * 30));
        }
        size_t k = (n0 + i) % s.Size();
        float pan = kind == 2 ? 0.3f : 0.0f;
        s.l[k] += x * gain * (1 - pan);
        s.r[k] += x * gain * (1 + pan);
    }
}

Stereo Bgm() {
    const double beat = 0.5; // 120 beats a minute, 12 bars of 4/4: 24 seconds
    const int bars = 12;
    Stereo s(size_t(bars * 4 * beat * kRate));
    // Chord roots and qualities for each bar; melody on an eighth-note grid (0 holds, -1 rests).
    const int roots[bars] = {57, 53, 48, 55, 57, 53, 55, 52, 53, 55, 57, 52};
    const int thirds[bars] = {3, 4, 4, 4, 3, 4, 4, 4, 4, 4, 3, 4};
    const int melody[bars][8] = {
        {69, 0, 72, 0, 76, 0, 74, 72},  {69, 0, 0, 0, 65, 0, 67, 69}, {67, 0, 64, 0, 67, 0, 72, 0},
        {71, 0, 0, 0, 74, 0, 71, 67},   {69, 0, 72, 0, 76, 0, 81, 0}, {79, 0, 77, 76, 77, 0, 72, 0},
        {74, 0, 71, 0, 74, 0, 79, 0},   {80, 0, 0, 0, 76, 0, -1, 0},  {77, 76, 74, 72, 69, 0, 72, 0},
        {74, 72, 71, 69, 67, 0, 71, 0}, {72, 0, 71, 0, 69, 0, 76, 0}, {76, 0, 74, 0, 71, 0, 68, 0}};
    Noise noise(12345);
    for (int bar = 0; bar < bars; ++bar) {
        double t0 = bar * 4 * beat;
        int root = roots[bar];
        for (int step = 0; step < 8; ++step) {
            int note = melody[bar][step];
            if (note <= 0) continue;
            int len = 1;
            while (step + len < 8 && melody[bar][step + len] == 0) ++len;
            AddNote(s, Voice::Lead, note, t0 + step * beat / 2, len * beat / 2 * 0.92, 0.30f, 0.15f, true, 0.015, 0.12);
            AddNote(s, Voice::Bell, note + 12, t0 + step * beat / 2, 0.1, 0.05f, -0.4f, true, 0.002, 0.3);
        }
        const int bassPattern[8] = {0, -1, 12, 0, 0, 7, 12, 7};
        for (int step = 0; step < 8; ++step)
            if (bassPattern[step] >= 0)
                AddNote(s, Voice::Bass, root - 12 + bassPattern[step], t0 + step * beat / 2, beat * 0.4, 0.34f, 0, true,
                        0.005, 0.05);
        for (int tone : {0, thirds[bar], 7, 12})
            AddNote(s, Voice::Pad, root + tone, t0, 4 * beat * 0.95, 0.05f, tone % 2 ? 0.5f : -0.5f, true, 0.3, 0.4);
        for (int b = 0; b < 4; ++b) {
            AddDrum(s, b % 2 == 0 ? 0 : 1, t0 + b * beat, noise, b % 2 == 0 ? 0.5f : 0.22f);
            AddDrum(s, 2, t0 + b * beat + beat / 2, noise, 0.08f);
            AddDrum(s, 2, t0 + b * beat, noise, 0.05f);
        }
    }
    Normalize(s, 0.8f);
    return s;
}

Stereo Push() {
    Stereo s(size_t(0.3 * kRate));
    AddNote(s, Voice::Bell, 84, 0, 0.05, 0.5f, 0, false, 0.002, 0.2);
    AddNote(s, Voice::Bell, 91, 0.06, 0.05, 0.4f, 0, false, 0.002, 0.15);
    Normalize(s, 0.7f);
    EdgeFades(s);
    return s;
}

Stereo Go() {
    Stereo s(size_t(1.1 * kRate));
    const int arp[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; ++i)
        AddNote(s, Voice::Bell, arp[i], i * 0.05, 0.08, 0.35f, -0.3f + 0.2f * i, false, 0.002, 0.3);
    for (int tone : {72, 76, 79, 84}) AddNote(s, Voice::Brass, tone, 0.2, 0.55, 0.2f, 0, false, 0.02, 0.3);
    Normalize(s, 0.8f);
    EdgeFades(s, 0.01);
    return s;
}

Stereo Clear() {
    Stereo s(size_t(3.0 * kRate));
    const int notes[] = {67, 72, 76, 79, 76, 79};
    const double starts[] = {0, 0.15, 0.3, 0.45, 0.75, 0.9};
    const double lens[] = {0.13, 0.13, 0.13, 0.28, 0.13, 1.4};
    for (int i = 0; i < 6; ++i) AddNote(s, Voice::Brass, notes[i] + 5, starts[i], lens[i], 0.35f, 0, false, 0.02, 0.2);
    for (int tone : {65, 69, 72, 77})
        AddNote(s, Voice::Pad, tone, 0.9, 1.4, 0.1f, tone % 2 ? 0.4f : -0.4f, false, 0.05, 0.5);
    for (int i = 0; i < 8; ++i)
        AddNote(s, Voice::Bell, 89 + (i % 4) * 3, 0.9 + i * 0.08, 0.05, 0.12f, -0.5f + i * 0.14f, false, 0.002, 0.4);
    Normalize(s, 0.8f);
    EdgeFades(s, 0.02);
    return s;
}

// Filtered noise swelling and easing in whole cycles of the loop; two filter passes so the
// filter's state at the end carries into the start and the loop point is seamless.
Stereo Fly() {
    const size_t n = size_t(3.0 * kRate);
    Stereo s(n);
    Noise noise(777);
    std::vector<float> white(n);
    for (float& w : white) w = noise.Next();
    for (int ch = 0; ch < 2; ++ch) {
        auto& out = ch == 0 ? s.l : s.r;
        float lp1 = 0, lp2 = 0;
        for (int pass = 0; pass < 2; ++pass)
            for (size_t i = 0; i < n; ++i) {
                size_t k = (i + (ch ? n / 3 : 0)) % n;
                double t = double(i) / n;
                float cutoff = float(0.05 + 0.04 * std::sin(2 * kPi * 2 * t + ch));
                lp1 += cutoff * (white[k] - lp1);
                lp2 += 0.004f * (lp1 - lp2);
                float swell = float(0.75 + 0.25 * std::sin(2 * kPi * 3 * t + ch * 0.7));
                if (pass == 1) out[i] = (lp1 - lp2) * swell;
            }
    }
    Normalize(s, 0.6f);
    return s;
}

Stereo Get() {
    Stereo s(size_t(0.8 * kRate));
    const int notes[] = {88, 92, 95, 100};
    for (int i = 0; i < 4; ++i)
        AddNote(s, Voice::Bell, notes[i], i * 0.045, 0.05, 0.3f, -0.45f + 0.3f * i, false, 0.001, 0.45);
    Normalize(s, 0.7f);
    EdgeFades(s, 0.01);
    return s;
}

} // namespace

bool WriteSounds(const std::string& dir) {
    return WriteWav(dir + "/BGM.wav", Bgm(), 2) && WriteWav(dir + "/push.wav", Push(), 1) &&
           WriteWav(dir + "/go.wav", Go(), 1) && WriteWav(dir + "/clear.wav", Clear(), 2) &&
           WriteWav(dir + "/fly.wav", Fly(), 2) && WriteWav(dir + "/get.wav", Get(), 1);
}
