// Drawing speed of the character grid in a real window: a full screen of 80 x 24 and of 160 x 48
// cells through the engine, through the per-character reference (a rectangle and a text per
// cell), and through libtcod's OpenGL 2 renderer when libtcod-dev is installed; and the game's
// busiest view both ways. Each frame changes none, 20 or all of the cells (the third argument: 0,
// 20 or -1), since the engine redraws only what changed. Time is wall-clock time per frame, present
// included; CPU time is that of every thread of the process, the software rasteriser's included.
// Cells are 15 x 30 pixels with the game's font and font scale, so the larger screen needs a
// virtual display of at least 2400 x 1440:
//
//     xvfb-run -a -s "-screen 0 2560x1600x24" build/bench/bench_display

#include "DisplayManager.h"
#include "GameManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "Vector.h"
#include "test_display_batch_reference.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

#ifdef QV_HAVE_LIBTCOD
#include <libtcod/console.h>
#include <libtcod/console_types.h>
#include <libtcod/context.h>
#include <libtcod/context_init.h>
#include <libtcod/tileset_truetype.h>
#include <libtcod/version.h>
#endif

namespace
{

// The engine draws the regular face in bold; libtcod cannot embolden, so it gets the bold face.
const char *const FONT = QV_SOURCE_DIR "/qv-font.ttf";
const char *const BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
const int CELL_WIDTH = 15;  // pixels, as in the game's configuration
const int CELL_HEIGHT = 30; // pixels

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

int engine_columns = 0; // grid of the running engine, cells; 0 when it is not running
int engine_rows = 0;
bool engine_headless = false;

// Starts the engine with a grid of `columns` x `rows` cells of 15 x 30 pixels, restarting it when
// it runs with another grid.
bool startEngine(int columns, int rows, bool headless = false)
{
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    if (engine_columns == columns && engine_rows == rows && engine_headless == headless)
        return true;
    if (engine_columns != 0)
        game_manager.shutDown();
    engine_columns = 0;
    const std::string config = scratch("config.txt");
    std::ofstream(config) << "headless:" << (headless ? "true" : "false") << ",\nrandom_seed:-1,\nfont_file:" << FONT
                          << ",\nfont_scale:1.5,\nwindow_horizontal_chars:" << columns
                          << ",\nwindow_vertical_chars:" << rows
                          << ",\nwindow_horizontal_pixels:" << columns * CELL_WIDTH
                          << ",\nwindow_vertical_pixels:" << rows * CELL_HEIGHT << ",\n";
    setenv("QUORVEX_CONFIG", config.c_str(), 1);
    setenv("QUORVEX_LOG", scratch("log.txt").c_str(), 1);
    setenv("ALSOFT_DRIVERS", "null", 0);
    if (game_manager.startUp() != 0)
        return false;
    engine_columns = columns;
    engine_rows = rows;
    engine_headless = headless;
    return true;
}

bool startWindow(benchmark::State &state, int columns, int rows)
{
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        state.SkipWithError("no X display: run under xvfb-run");
        return false;
    }
    if (!startEngine(columns, rows))
    {
        state.SkipWithError("the engine did not start");
        return false;
    }
    return true;
}

// The character of a cell in frame `frame`, when `changing` cells change from frame to frame
// (-1: all), spread over the screen; '!' to 'z'.
int cellCharacter(int x, int y, int columns, int rows, int frame, int changing)
{
    const int cell = y * columns + x;
    const bool changes = changing < 0 || (changing > 0 && cell % (columns * rows / changing) == 0);
    return '!' + (x + y + (changes ? frame : 0)) % 90;
}

// Every cell of the screen, in the seven colours that show on black.
void drawFullScreen(Painter &painter, int columns, int rows, int frame, int changing)
{
    for (int y = 0; y < rows; y++)
    {
        for (int x = 0; x < columns; x++)
        {
            unsigned char red = 255, green = 255, blue = 255;
            qv::colorToRGB(static_cast<qv::Color>(1 + x % 7), &red, &green, &blue);
            painter.character(qv::Vector(static_cast<float>(x), static_cast<float>(y)),
                              static_cast<char>(cellCharacter(x, y, columns, rows, frame, changing)), red, green, blue);
        }
    }
}

// Both screens, with none, 20 and all of their cells changing from frame to frame.
void screens(benchmark::internal::Benchmark *benchmark)
{
    for (int changing : {0, 20, -1})
    {
        benchmark->Args({80, 24, changing});
        benchmark->Args({160, 48, changing});
    }
}

// Draws frames through `painter` and presents each, as the game loop does.
void drawFrames(benchmark::State &state, Painter &painter, const std::function<void(Painter &, int)> &frame)
{
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    int number = 0;
    for (auto _ : state)
    {
        frame(painter, number++);
        display_manager.swapBuffers();
    }
}

} // namespace

// One frame of a full screen through the engine: every cell drawn, then presented.
static void BM_FullScreenEngine(benchmark::State &state)
{
    const int columns = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    const int changing = static_cast<int>(state.range(2));
    if (!startWindow(state, columns, rows))
        return;
    EnginePainter engine;
    drawFrames(state, engine,
               [&](Painter &painter, int frame) { drawFullScreen(painter, columns, rows, frame, changing); });
    state.SetItemsProcessed(state.iterations() * columns * rows);
}
BENCHMARK(BM_FullScreenEngine)->Apply(screens)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The same frame drawn a rectangle and a text per cell, straight into the window.
static void BM_FullScreenReference(benchmark::State &state)
{
    const int columns = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    const int changing = static_cast<int>(state.range(2));
    if (!startWindow(state, columns, rows))
        return;
    ReferencePainter reference(sf::Color::Black);
    if (!reference.loaded())
    {
        state.SkipWithError("font not loaded");
        return;
    }
    drawFrames(state, reference,
               [&](Painter &painter, int frame) { drawFullScreen(painter, columns, rows, frame, changing); });
    state.SetItemsProcessed(state.iterations() * columns * rows);
}
BENCHMARK(BM_FullScreenReference)
    ->Apply(screens)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

#ifdef QV_HAVE_LIBTCOD
// The same frame through libtcod's OpenGL 2 renderer: a window of the same size, the same font
// in tiles of the same size, every cell set and the console presented.
static void BM_FullScreenLibtcod(benchmark::State &state)
{
    const int columns = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    const int changing = static_cast<int>(state.range(2));
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        state.SkipWithError("no X display: run under xvfb-run");
        return;
    }
    TCOD_Tileset *tileset = TCOD_load_truetype_font_(BOLD_FONT, CELL_WIDTH, CELL_HEIGHT);
    if (!tileset)
    {
        state.SkipWithError("libtcod could not load the font");
        return;
    }
    TCOD_ContextParams params{};
    params.tcod_version = TCOD_COMPILEDVERSION;
    params.columns = columns;
    params.rows = rows;
    params.pixel_width = columns * CELL_WIDTH;
    params.pixel_height = rows * CELL_HEIGHT;
    params.renderer_type = TCOD_RENDERER_OPENGL2;
    params.tileset = tileset;
    params.vsync = 1;
    params.window_title = "libtcod";
    TCOD_Context *context = nullptr;
    if (TCOD_context_new(&params, &context) != TCOD_E_OK)
    {
        TCOD_tileset_delete(tileset);
        state.SkipWithError("libtcod could not open its OpenGL 2 window");
        return;
    }
    TCOD_Console *console = TCOD_console_new(columns, rows);
    const TCOD_color_t black = {0, 0, 0};
    int frame = 0;
    for (auto _ : state)
    {
        frame++;
        for (int y = 0; y < rows; y++)
        {
            for (int x = 0; x < columns; x++)
            {
                unsigned char red = 255, green = 255, blue = 255;
                qv::colorToRGB(static_cast<qv::Color>(1 + x % 7), &red, &green, &blue);
                TCOD_console_put_char_ex(console, x, y, cellCharacter(x, y, columns, rows, frame, changing),
                                         TCOD_color_t{red, green, blue}, black);
            }
        }
        TCOD_context_present(context, console, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * columns * rows);
    TCOD_console_delete(console);
    TCOD_context_delete(context);
    TCOD_tileset_delete(tileset);
}
BENCHMARK(BM_FullScreenLibtcod)->Apply(screens)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
#endif

// The game's busiest view, a floor full of walls with monsters, the hero and the heads-up strings,
// through the engine (`range` 1) or the per-character reference (0).
static void BM_DungeonView(benchmark::State &state)
{
    if (!startWindow(state, 80, 24))
        return;
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    if (!resource_manager.getSprite("monster"))
        resource_manager.loadSprite(QV_SOURCE_DIR "/sprites/monster-walk-spr.txt", "monster");
    if (!resource_manager.getSprite("hero"))
        resource_manager.loadSprite(QV_SOURCE_DIR "/sprites/hero-walk-spr.txt", "hero");
    const qv::Sprite *monster = resource_manager.getSprite("monster");
    const qv::Sprite *hero = resource_manager.getSprite("hero");
    if (!monster || !hero)
    {
        state.SkipWithError("sprites not loaded");
        return;
    }
    EnginePainter engine;
    ReferencePainter reference(sf::Color::Black);
    Painter &painter = state.range(0) ? static_cast<Painter &>(engine) : reference;
    drawFrames(state, painter, [&](Painter &p, int) { drawDungeon(p, monster, hero, 80, 24); });
}
BENCHMARK(BM_DungeonView)
    ->ArgName("engine")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The screen as 24 strings of 80 characters.
static void BM_FullScreenStrings(benchmark::State &state)
{
    if (!startWindow(state, 80, 24))
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
BENCHMARK(BM_FullScreenStrings)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Presenting and clearing an empty frame: what the loop pays even when nothing is drawn.
static void BM_SwapBuffersOnly(benchmark::State &state)
{
    if (!startWindow(state, 80, 24))
        return;
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    for (auto _ : state)
        display_manager.swapBuffers();
}
BENCHMARK(BM_SwapBuffersOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Loading a sprite file of `range` frames of 8 x 4 characters.
static void BM_LoadSprite(benchmark::State &state)
{
    if (!startEngine(80, 24, std::getenv("DISPLAY") == nullptr))
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
