// Synthesises the game's ambient loop. Everything is built on a circular timeline: a sound that runs
// past the end of the loop is folded back onto its beginning, and the echo and reverb run over the
// loop three times with only the last pass kept, so the last sample leads into the first one
// exactly as any two neighbouring samples do and the loop repeats without a seam.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

const int RATE = 44100;
const int CHORD_SECONDS = 8;
const double PI = 3.14159265358979323846;

struct Chord
{
    int bass;
    std::vector<int> pad; // MIDI note numbers
    std::vector<int> bells;
};

// D dorian colours: Dm9, Bbmaj9, Fmaj7, Am7. Neighbouring chords share most notes, so the
// crossfades between them stay smooth.
const std::vector<Chord> CHORDS = {
    {38, {50, 57, 60, 64, 69}, {74, 76, 81, 84}},
    {34, {50, 58, 60, 65, 69}, {72, 74, 77, 81}},
    {41, {48, 57, 60, 64, 69}, {72, 76, 79, 81}},
    {33, {52, 55, 60, 64, 67}, {72, 76, 79, 84}},
};

double midiToHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

// Small deterministic generator, so every build produces the same file.
struct Random
{
    std::uint32_t state;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

struct Stereo
{
    std::vector<double> left;
    std::vector<double> right;
    explicit Stereo(std::size_t n) : left(n, 0.0), right(n, 0.0) {}
    std::size_t size() const { return left.size(); }
    // Adds at a position on the circular timeline.
    void add(long index, double l, double r)
    {
        const long n = static_cast<long>(size());
        index %= n;
        if (index < 0)
            index += n;
        left[static_cast<std::size_t>(index)] += l;
        right[static_cast<std::size_t>(index)] += r;
    }
};

// One period of a soft tone: harmonics falling off quickly, brighter for larger `bright`.
std::vector<double> makeTable(double bright)
{
    const int size = 4096;
    std::vector<double> table(size + 1);
    for (int i = 0; i <= size; ++i)
    {
        double phase = 2.0 * PI * i / size;
        double sum = 0.0;
        for (int k = 1; k <= 7; ++k)
            sum += std::pow(bright, k - 1) / std::pow(k, 1.2) * std::sin(k * phase);
        table[static_cast<std::size_t>(i)] = sum;
    }
    return table;
}

double lookup(const std::vector<double> &table, double phase)
{
    const double size = static_cast<double>(table.size() - 1);
    double position = phase * size;
    std::size_t index = static_cast<std::size_t>(position);
    double fraction = position - static_cast<double>(index);
    return table[index] + (table[index + 1] - table[index]) * fraction;
}

// Raised-cosine swell: 0 before start, 1 between the ramps, 0 after end.
double swell(double t, double attack, double hold, double release)
{
    if (t < 0.0 || t > attack + hold + release)
        return 0.0;
    if (t < attack)
        return 0.5 - 0.5 * std::cos(PI * t / attack);
    if (t < attack + hold)
        return 1.0;
    return 0.5 + 0.5 * std::cos(PI * (t - attack - hold) / release);
}

// A pad note: three slightly detuned voices spread across the stereo field, whose tone opens up
// while the chord sounds and closes again as it fades.
void addPadNote(Stereo &out, const std::vector<double> &dark, const std::vector<double> &bright, double start,
                double length, int note, double level, Random &random)
{
    const double detune[3] = {-0.07, 0.0, 0.07};
    const double pan[3] = {0.2, 0.5, 0.8};
    const double attack = 3.5;
    const double release = 4.5;
    const double hold = length - attack + 0.5;
    const double total = attack + hold + release;
    const long first = static_cast<long>(start * RATE);
    const long count = static_cast<long>(total * RATE);
    for (int v = 0; v < 3; ++v)
    {
        const double hz = midiToHz(note + detune[v]);
        double phase = random.next();
        const double vibrato_hz = 0.11 + 0.05 * random.next();
        for (long i = 0; i < count; ++i)
        {
            const double t = static_cast<double>(i) / RATE;
            const double envelope = swell(t, attack, hold, release);
            const double open = 0.5 - 0.5 * std::cos(2.0 * PI * t / total);
            const double sample = lookup(dark, phase) * (1.0 - open) + lookup(bright, phase) * open;
            const double value = sample * envelope * level;
            out.add(first + i, value * (1.0 - pan[v]), value * pan[v]);
            phase += hz * (1.0 + 0.0015 * std::sin(2.0 * PI * vibrato_hz * t)) / RATE;
            phase -= std::floor(phase);
        }
    }
}

// A low sine drone under each chord.
void addBass(Stereo &out, double start, double length, int note, double level)
{
    const double attack = 3.0;
    const double release = 4.0;
    const double hold = length - attack + 1.0;
    const long first = static_cast<long>(start * RATE);
    const long count = static_cast<long>((attack + hold + release) * RATE);
    const double hz = midiToHz(note);
    for (long i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / RATE;
        const double value = (std::sin(2.0 * PI * hz * t) + 0.15 * std::sin(4.0 * PI * hz * t)) *
                             swell(t, attack, hold, release) * level;
        out.add(first + i, value, value);
    }
}

// A soft bell: a sine with a quieter inharmonic partial, struck gently and dying away.
void addBell(Stereo &out, double start, int note, double level, double pan)
{
    const double hz = midiToHz(note);
    const long first = static_cast<long>(start * RATE);
    const long count = static_cast<long>(5.0 * RATE);
    for (long i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / RATE;
        const double strike = std::min(1.0, t / 0.02);
        const double value = (std::sin(2.0 * PI * hz * t) * std::exp(-t / 1.4) +
                              0.25 * std::sin(2.0 * PI * hz * 2.76 * t) * std::exp(-t / 0.4)) *
                             strike * level;
        out.add(first + i, value * (1.0 - pan), value * pan);
    }
}

// Wind: a soft band of noise, roughly 150 to 700 Hz, whose loudness breathes twice per loop.
void addWind(Stereo &out, double level, Random &random)
{
    const std::size_t n = out.size();
    std::vector<double> noise_l(n), noise_r(n);
    for (std::size_t i = 0; i < n; ++i)
    {
        noise_l[i] = random.next() * 2.0 - 1.0;
        noise_r[i] = random.next() * 2.0 - 1.0;
    }
    // Two passes round the loop let the filters settle into the loop's own steady state.
    double low_l[3] = {0.0, 0.0, 0.0};
    double low_r[3] = {0.0, 0.0, 0.0};
    const double upper = 0.1;
    const double lower = 0.02;
    for (int pass = 0; pass < 2; ++pass)
    {
        for (std::size_t i = 0; i < n; ++i)
        {
            low_l[0] += upper * (noise_l[i] - low_l[0]);
            low_l[1] += upper * (low_l[0] - low_l[1]);
            low_l[2] += lower * (low_l[1] - low_l[2]);
            low_r[0] += upper * (noise_r[i] - low_r[0]);
            low_r[1] += upper * (low_r[0] - low_r[1]);
            low_r[2] += lower * (low_r[1] - low_r[2]);
            if (pass == 1)
            {
                const double t = static_cast<double>(i) / static_cast<double>(n);
                const double breath = 0.55 - 0.45 * std::cos(4.0 * PI * t);
                out.left[i] += (low_l[1] - low_l[2]) * breath * level;
                out.right[i] += (low_r[1] - low_r[2]) * breath * level;
            }
        }
    }
}

struct Comb
{
    std::vector<double> buffer;
    std::size_t index = 0;
    double feedback;
    double damp;
    double store = 0.0;
    Comb(std::size_t length, double fb, double d) : buffer(length, 0.0), feedback(fb), damp(d) {}
    double process(double input)
    {
        double output = buffer[index];
        store = output * (1.0 - damp) + store * damp;
        buffer[index] = input + store * feedback;
        index = (index + 1) % buffer.size();
        return output;
    }
};

struct AllPass
{
    std::vector<double> buffer;
    std::size_t index = 0;
    explicit AllPass(std::size_t length) : buffer(length, 0.0) {}
    double process(double input)
    {
        double delayed = buffer[index];
        double output = delayed - 0.5 * input;
        buffer[index] = input + 0.5 * delayed;
        index = (index + 1) % buffer.size();
        return output;
    }
};

struct Reverb
{
    std::vector<Comb> combs;
    std::vector<AllPass> passes;
    explicit Reverb(int spread)
    {
        for (int length : {1557, 1617, 1491, 1422, 1277, 1356})
            combs.emplace_back(static_cast<std::size_t>(length + spread), 0.86, 0.3);
        for (int length : {556, 441, 341})
            passes.emplace_back(static_cast<std::size_t>(length + spread));
    }
    double process(double input)
    {
        double sum = 0.0;
        for (Comb &comb : combs)
            sum += comb.process(input);
        sum /= static_cast<double>(combs.size());
        for (AllPass &pass : passes)
            sum = pass.process(sum);
        return sum;
    }
};

// Ping-pong echo and reverb, run three times round the loop; only the last pass is kept.
Stereo addSpace(const Stereo &dry)
{
    const std::size_t n = dry.size();
    const std::size_t echo = static_cast<std::size_t>(0.75 * RATE);
    std::vector<double> echo_l(echo, 0.0), echo_r(echo, 0.0);
    std::size_t echo_index = 0;
    Reverb reverb_l(0), reverb_r(23);
    Stereo wet(n);
    for (int pass = 0; pass < 3; ++pass)
    {
        for (std::size_t i = 0; i < n; ++i)
        {
            const double in_l = dry.left[i];
            const double in_r = dry.right[i];
            const double delayed_l = echo_l[echo_index];
            const double delayed_r = echo_r[echo_index];
            echo_l[echo_index] = in_r * 0.5 + delayed_r * 0.45;
            echo_r[echo_index] = in_l * 0.5 + delayed_l * 0.45;
            echo_index = (echo_index + 1) % echo;
            const double mixed_l = in_l + 0.35 * delayed_l;
            const double mixed_r = in_r + 0.35 * delayed_r;
            const double room_l = reverb_l.process(mixed_l);
            const double room_r = reverb_r.process(mixed_r);
            if (pass == 2)
            {
                wet.left[i] = mixed_l * 0.75 + room_l * 0.9;
                wet.right[i] = mixed_r * 0.75 + room_r * 0.9;
            }
        }
    }
    return wet;
}

void putLittleEndian(std::FILE *file, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xffu), file);
}

bool writeWav(const std::string &path, const Stereo &sound)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const std::uint32_t frames = static_cast<std::uint32_t>(sound.size());
    const std::uint32_t data_bytes = frames * 4u;
    std::fwrite("RIFF", 1, 4, file);
    putLittleEndian(file, 36u + data_bytes, 4);
    std::fwrite("WAVEfmt ", 1, 8, file);
    putLittleEndian(file, 16, 4);
    putLittleEndian(file, 1, 2); // PCM
    putLittleEndian(file, 2, 2); // stereo
    putLittleEndian(file, RATE, 4);
    putLittleEndian(file, RATE * 4u, 4);
    putLittleEndian(file, 4, 2);
    putLittleEndian(file, 16, 2);
    std::fwrite("data", 1, 4, file);
    putLittleEndian(file, data_bytes, 4);
    for (std::size_t i = 0; i < sound.size(); ++i)
    {
        for (double value : {sound.left[i], sound.right[i]})
        {
            long sample = std::lround(value * 32767.0);
            sample = std::max(-32767L, std::min(32767L, sample));
            putLittleEndian(file, static_cast<std::uint32_t>(static_cast<std::int16_t>(sample)) & 0xffffu, 2);
        }
    }
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: ambient_synth OUTPUT.wav\n");
        return 2;
    }
    const double loop_seconds = static_cast<double>(CHORD_SECONDS * CHORDS.size());
    Stereo dry(static_cast<std::size_t>(loop_seconds * RATE));
    Random random{20261207u};
    const std::vector<double> dark = makeTable(0.25);
    const std::vector<double> bright = makeTable(0.55);

    for (std::size_t c = 0; c < CHORDS.size(); ++c)
    {
        const double start = static_cast<double>(c * CHORD_SECONDS);
        const Chord &chord = CHORDS[c];
        for (int note : chord.pad)
            addPadNote(dry, dark, bright, start, CHORD_SECONDS, note, 0.05, random);
        addBass(dry, start, CHORD_SECONDS, chord.bass, 0.12);
        // A few slow bell notes per chord, at unhurried, slightly irregular times.
        double when = start + 1.5 + random.next();
        while (when < start + CHORD_SECONDS)
        {
            int note = chord.bells[static_cast<std::size_t>(random.next() * chord.bells.size())];
            addBell(dry, when, note, 0.1 + 0.05 * random.next(), 0.25 + 0.5 * random.next());
            when += 1.8 + 1.6 * random.next();
        }
    }
    addWind(dry, 0.15, random);

    Stereo wet = addSpace(dry);

    double mean_l = 0.0, mean_r = 0.0;
    for (std::size_t i = 0; i < wet.size(); ++i)
    {
        mean_l += wet.left[i];
        mean_r += wet.right[i];
    }
    mean_l /= static_cast<double>(wet.size());
    mean_r /= static_cast<double>(wet.size());
    double peak = 0.0;
    for (std::size_t i = 0; i < wet.size(); ++i)
    {
        wet.left[i] -= mean_l;
        wet.right[i] -= mean_r;
        peak = std::max({peak, std::fabs(wet.left[i]), std::fabs(wet.right[i])});
    }
    // Peaks at about -4 dBFS leave headroom, so no sample comes near clipping.
    const double gain = peak > 0.0 ? 0.63 / peak : 1.0;
    for (std::size_t i = 0; i < wet.size(); ++i)
    {
        wet.left[i] *= gain;
        wet.right[i] *= gain;
    }
    if (!writeWav(argv[1], wet))
    {
        std::fprintf(stderr, "ambient_synth: cannot write '%s'\n", argv[1]);
        return 1;
    }
    std::printf("ambient_synth: wrote %s (%.1f s, %d Hz, stereo)\n", argv[1], loop_seconds, RATE);
    return 0;
}
