// Checks the generated music the way a listener would notice problems: wrong format for the audio
// library, a loop too short, clipped peaks, near silence, or a click where the loop restarts.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

std::uint32_t readLittleEndian(const std::vector<unsigned char> &bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

int fail(const std::string &path, const std::string &why)
{
    std::printf("%s: %s\n", path.c_str(), why.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: wav_check FILE.wav MINIMUM_SECONDS\n");
        return 2;
    }
    const std::string path = argv[1];
    const double minimum_seconds = std::atof(argv[2]);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(path, "cannot open");
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE")
        return fail(path, "not a RIFF WAVE file");

    int format = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0;
    std::size_t data_at = 0, data_size = 0;
    for (std::size_t at = 12; at + 8 <= bytes.size();)
    {
        const std::string id(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 4);
        const std::size_t size = readLittleEndian(bytes, at + 4, 4);
        if (at + 8 + size > bytes.size())
            return fail(path, "chunk '" + id + "' runs past the end of the file");
        if (id == "fmt " && size >= 16)
        {
            format = static_cast<int>(readLittleEndian(bytes, at + 8, 2));
            channels = static_cast<int>(readLittleEndian(bytes, at + 10, 2));
            rate = readLittleEndian(bytes, at + 12, 4);
            bits = static_cast<int>(readLittleEndian(bytes, at + 22, 2));
        }
        else if (id == "data")
        {
            data_at = at + 8;
            data_size = size;
        }
        at += 8 + size + (size & 1u);
    }
    if (format != 1 || bits != 16 || (channels != 1 && channels != 2) || (rate != 22050 && rate != 44100))
        return fail(path, "must be 16-bit PCM, mono or stereo, 22050 or 44100 Hz");
    if (data_at == 0 || data_size == 0)
        return fail(path, "no sound data");

    const std::size_t frames = data_size / (2u * static_cast<std::size_t>(channels));
    const double seconds = static_cast<double>(frames) / rate;
    std::vector<std::vector<int>> samples(static_cast<std::size_t>(channels), std::vector<int>(frames));
    double sum_squares = 0.0;
    int peak = 0;
    for (std::size_t f = 0; f < frames; ++f)
    {
        for (int c = 0; c < channels; ++c)
        {
            const std::size_t at = data_at + (f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)) * 2;
            const int value = static_cast<std::int16_t>(readLittleEndian(bytes, at, 2));
            samples[static_cast<std::size_t>(c)][f] = value;
            sum_squares += static_cast<double>(value) * value;
            peak = std::max(peak, std::abs(value));
        }
    }
    const double rms = std::sqrt(sum_squares / (static_cast<double>(frames) * channels)) / 32768.0;
    const double peak_db = 20.0 * std::log10(std::max(peak, 1) / 32768.0);
    const double rms_db = 20.0 * std::log10(std::max(rms, 1e-9));
    std::printf("%s: %.2f s, %u Hz, %d channel(s), peak %.1f dBFS, RMS %.1f dBFS\n", path.c_str(), seconds, rate,
                channels, peak_db, rms_db);

    int problems = 0;
    if (seconds < minimum_seconds)
        problems += fail(path, "shorter than " + std::string(argv[2]) + " seconds");
    if (peak >= 32767)
        problems += fail(path, "clips");
    if (rms_db < -40.0)
        problems += fail(path, "nearly silent");
    // The jump from the last sample back to the first must look like any other step in the file.
    for (int c = 0; c < channels && frames > 1; ++c)
    {
        const std::vector<int> &channel = samples[static_cast<std::size_t>(c)];
        int largest_step = 0;
        for (std::size_t f = 1; f < frames; ++f)
            largest_step = std::max(largest_step, std::abs(channel[f] - channel[f - 1]));
        const int seam = std::abs(channel.front() - channel.back());
        std::printf("%s: channel %d: step across the loop point %d, largest step inside %d\n", path.c_str(), c, seam,
                    largest_step);
        if (seam > largest_step)
            problems += fail(path, "click where the loop restarts");
    }
    return problems ? 1 : 0;
}
