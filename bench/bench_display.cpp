// Drawing speed of the character grid in a real window. Needs an X display: run it under
// xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" build/bench/bench_display

#include "DisplayManager.h"
#include "GameManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "Vector.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{

const char *const FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

std::string scratch(const std::string &name)
{
    return "/tmp/qv-bench-" + std::to_string(getpid()) + "-" + name;
}

// Removes the configuration and log files when the program ends.
struct ScratchFiles
{
    ~ScratchFiles()
    {
        std::remove(scratch("config.txt").c_str());
        std::remove(scratch("log.txt").c_str());
    }
};
ScratchFiles scratch_files;

// Starts the engine once, with the game's 80 x 24 grid in a 1024 x 768 window.
bool startEngine(bool headless)
{
    static int result = [headless]
    {
        const std::string config = scratch("config.txt");
        std::ofstream(config) << "headless:" << (headless ? "true" : "false")
                              << ",\nrandom_seed:-1,\nfont_file:" << FONT << ",\n";
        setenv("QUORVEX_CONFIG", config.c_str(), 1);
        setenv("QUORVEX_LOG", scratch("log.txt").c_str(), 1);
        setenv("ALSOFT_DRIVERS", "null", 0);
        return qv::GameManager::getInstance().startUp();
    }();
    return result == 0;
}

bool startWindow(benchmark::State &state)
{
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        state.SkipWithError("no X display: run under xvfb-run");
        return false;
    }
    if (!startEngine(false))
    {
        state.SkipWithError("the engine did not start");
        return false;
    }
    return true;
}

} // namespace

// One frame of the game at its fullest: every cell of the 80 x 24 grid drawn, then presented.
static void BM_FullScreenCharacters(benchmark::State &state)
{
    if (!startWindow(state))
        return;
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    const int columns = display_manager.getHorizontalChars();
    const int rows = display_manager.getVerticalChars();
    for (auto _ : state)
    {
        for (int y = 0; y < rows; y++)
            for (int x = 0; x < columns; x++)
                display_manager.drawCharacter(qv::Vector(static_cast<float>(x), static_cast<float>(y)),
                                              static_cast<char>('!' + (x + y) % 90), static_cast<qv::Color>(1 + x % 7));
        display_manager.swapBuffers();
    }
    state.SetItemsProcessed(state.iterations() * columns * rows);
}
BENCHMARK(BM_FullScreenCharacters)->Unit(benchmark::kMillisecond);

// The same screen as 24 strings of 80 characters.
static void BM_FullScreenStrings(benchmark::State &state)
{
    if (!startWindow(state))
        return;
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    const std::string row(static_cast<std::size_t>(display_manager.getHorizontalChars()), '#');
    for (auto _ : state)
    {
        for (int y = 0; y < display_manager.getVerticalChars(); y++)
            display_manager.drawString(qv::Vector(0, static_cast<float>(y)), row, qv::JUSTIFY_LEFT, qv::GREEN);
        display_manager.swapBuffers();
    }
}
BENCHMARK(BM_FullScreenStrings)->Unit(benchmark::kMillisecond);

// Presenting and clearing an empty frame: what the loop pays even when nothing is drawn.
static void BM_SwapBuffersOnly(benchmark::State &state)
{
    if (!startWindow(state))
        return;
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    for (auto _ : state)
        display_manager.swapBuffers();
}
BENCHMARK(BM_SwapBuffersOnly)->Unit(benchmark::kMillisecond);

// Loading a sprite file of `range` frames of 8 x 4 characters.
static void BM_LoadSprite(benchmark::State &state)
{
    if (!startEngine(std::getenv("DISPLAY") == nullptr))
    {
        state.SkipWithError("the engine did not start");
        return;
    }
    const std::string file = scratch("sprite.txt");
    {
        std::ofstream out(file);
        out << "<HEADER>\nframes " << state.range(0) << "\nwidth 8\nheight 4\ncolor red\n</HEADER>\n<BODY>\n";
        for (int i = 0; i < state.range(0); i++)
            out << "abcdefgh\nijklmnop\nqrstuvwx\nyz012345\nend\n";
        out << "</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n";
    }
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    for (auto _ : state)
    {
        if (resource_manager.loadSprite(file, "bench") != 0)
        {
            state.SkipWithError("sprite not loaded");
            break;
        }
        // Empties the table so that it never fills up.
        resource_manager.shutDown();
        resource_manager.startUp();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::remove(file.c_str());
}
BENCHMARK(BM_LoadSprite)->Arg(1)->Arg(100)->Arg(10000);

BENCHMARK_MAIN();
