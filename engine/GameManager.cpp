#include "GameManager.h"

#include "Clock.h"
#include "Config.h"
#include "DisplayManager.h"
#include "EventStep.h"
#include "InputManager.h"
#include "LogManager.h"
#include "NetworkManager.h"
#include "PathManager.h"
#include "Recording.h"
#include "ResourceManager.h"
#include "WorldManager.h"
#include "attribute_text.h"
#include "geometry.h"

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace qv
{

namespace
{

const float VERSION = 4.15f;
const float NETWORK_SHARE = 0.2f; // of a frame, for announcing network messages
const float PATH_SHARE = 0.95f;   // of what is left of a frame, for path finding
const float VIEW_SLACK = 1.0f / 3.0f;
const char *const STARS = "****************************************************";
const int READOUT_PERIOD = 1000000; // µs between two renewals of the frame-time readout
// Longer passes share the last bin of the whole run's histogram; the worst pass is kept apart.
const int LONGEST_BINNED_PASS = 10000; // ms

volatile std::sig_atomic_t stop_requested = 0;

void requestStop(int)
{
    stop_requested = 1;
}

void installSignalHandlers()
{
    stop_requested = 0;
    struct sigaction action = {};
    action.sa_handler = requestStop;
    // A second signal kills at once, in case the loop is stuck inside a pass.
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Longest single sleep, ms: a stop request that comes between the loop's look at it and the
// sleep cannot cut that sleep short, so it ends the sleep at the next slice instead.
const long long SLEEP_SLICE = 100;

void sleepMilliseconds(long long ms)
{
    while (ms > 0 && !stop_requested)
    {
        const long long slice = std::min(ms, SLEEP_SLICE);
        timespec ts;
        ts.tv_sec = static_cast<time_t>(slice / 1000);
        ts.tv_nsec = static_cast<long>(slice % 1000) * 1000000L;
        // A signal cuts the sleep short; the pass then ends early, which is what a stop request wants.
        nanosleep(&ts, nullptr);
        ms -= slice;
    }
}

// Clamps a time computed in 64 bits to int, so that a huge configured frame time cannot overflow.
int toInt(long long value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int toInt(float value)
{
    if (!(value < static_cast<float>(INT_MAX)))
        return INT_MAX;
    if (value < static_cast<float>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

// Announces complete network messages until none are left or the deadline passes.
void pollNetwork(const Clock &clock, int frame_time)
{
    NetworkManager &network_manager = NetworkManager::getInstance();
    if (network_manager.isServer())
        network_manager.accept();
    const int share = toInt(static_cast<float>(frame_time) * NETWORK_SHARE * 1000.0f);
    const int deadline = toInt(static_cast<long long>(share) + clock.split());
    while (network_manager.getNumConnections() > 0)
    {
        bool announced = false;
        for (int i = 0; i < network_manager.getNumConnections(); i++)
            if (network_manager.genDataEvents(i) > 0)
                announced = true;
        if (!announced)
            return;
        if (clock.split() < deadline)
            continue;
        // The share is used up while messages may still be waiting: they are left for the next pass.
        LogManager::getInstance().writeLog("GameManager::run(): Warning! Residual network data.");
        return;
    }
}

// Settings a replay takes from its own configuration rather than the recording: they change how
// and where the session is shown, not what happens in it.
const char *const LOCAL_SETTINGS[] = {"headless",   "logfile",         "font_file",  "window_title", "window_style",
                                      "show_mouse", "show_frame_time", "networking", "network_port"};

// The configuration text of the settings of `settings` that a replay keeps from its own configuration.
std::string localSettings(const std::string &settings)
{
    std::string local;
    for (const char *key : LOCAL_SETTINGS)
        local += std::string(key) + ":" + match(settings, key) + ",";
    return local;
}

bool takeOperand(std::vector<std::string> *p_args, std::size_t i, std::string *p_operand)
{
    if (i + 1 >= p_args->size())
    {
        std::fprintf(stderr, "%s needs an operand\n", (*p_args)[i].c_str());
        return false;
    }
    *p_operand = (*p_args)[i + 1];
    p_args->erase(p_args->begin() + static_cast<std::ptrdiff_t>(i),
                  p_args->begin() + static_cast<std::ptrdiff_t>(i) + 2);
    return true;
}

} // namespace

GameManager::GameManager()
{
    setType("GameManager");
}

GameManager &GameManager::getInstance()
{
    static GameManager game_manager;
    return game_manager;
}

bool GameManager::isValid(const std::string &event_name) const
{
    return event_name == STEP_EVENT;
}

int GameManager::startUp()
{
    LogManager &log = LogManager::getInstance();
    if (isStarted())
    {
        log.writeLog("GameManager::startup(): Already started.");
        return 0;
    }
    Config &config = Config::getInstance();
    config.loadConfig("");
    Recording &recording = Recording::getInstance();
    // The first item of a key wins: the replay's own ones come first.
    if (recording.isReplaying())
        config.loadConfig(localSettings(config.getSettingsText()) + recording.getSettings());
    if (log.startUp() != 0)
    {
        log.writeLog("Error starting log manager!");
        return -1;
    }
    log.writeLog("%s", STARS);
    log.writeLog("** Quorvex version %.2f **", VERSION);
    log.writeLog("** Game engine started **");
    log.writeLog("%s", STARS);
    log.writeLog(1, "Log Manager started.");
    config.logConfig();

    frame_time = config.getFrameTime();
    log.writeLog(5, "GameManager::startUp(): frame time is %d", frame_time);
    show_frame_time = config.getShowFrameTime();
    second_passes.clear();
    readout.clear();
    pass_histogram.clear();
    worst_pass = 0;
    late_passes = 0;
    timed_passes = 0;

    if (DisplayManager::getInstance().startUp() != 0)
    {
        log.writeLog("Error starting display manager!");
        return -1;
    }
    log.writeLog(1, "Display manager started.");
    if (InputManager::getInstance().startUp() != 0)
    {
        log.writeLog("Error starting input manager!");
        return -1;
    }
    log.writeLog(1, "Input manager started.");
    if (config.getNetworking())
    {
        if (NetworkManager::getInstance().startUp() != 0)
        {
            log.writeLog("Error starting network manager!");
            return -1;
        }
        log.writeLog(1, "Network manager started.");
    }
    if (ResourceManager::getInstance().startUp() != 0)
    {
        log.writeLog("Error starting resource manager!");
        return -1;
    }
    log.writeLog(1, "Resource manager started.");
    WorldManager &world_manager = WorldManager::getInstance();
    if (world_manager.startUp() != 0)
    {
        log.writeLog("Error starting world manager!");
        return -1;
    }
    log.writeLog(1, "World manager started.");
    if (PathManager::getInstance().startUp() != 0)
    {
        log.writeLog("Error starting path manager!");
        return -1;
    }
    log.writeLog(1, "Path manager started.");

    const DisplayManager &display_manager = DisplayManager::getInstance();
    const Box screen(Vector(0, 0), static_cast<float>(display_manager.getHorizontalChars()),
                     static_cast<float>(display_manager.getVerticalChars()));
    world_manager.setBoundary(screen);
    world_manager.setView(screen);
    world_manager.setViewSlack(Vector(VIEW_SLACK, VIEW_SLACK));

    int seed = config.getRandomSeed();
    // A recorded session must know its seed, so it never leaves the generator as it found it.
    if (recording.isReplaying())
        seed = recording.getSeed();
    else if (seed == 0 || (seed == -1 && recording.isRecording()))
        seed = static_cast<int>(std::time(nullptr));
    if (seed != -1)
        std::srand(static_cast<unsigned>(seed));
    log.writeLog(10, "GameManager()::startUp(): seed is %d", seed);
    recording.writeStart(config.getSettingsText(), seed);

    // There is no timer resolution to ask for on this platform: sleeps are already accurate to the millisecond.

    // Ctrl-C and kill must still let shutDown run, so they only end the loop.
    installSignalHandlers();

    game_over = false;
    Manager::startUp();
    log.writeLog(5, "GameManager::startUp(): successfully started.");
    return 0;
}

void GameManager::run()
{
    LogManager &log = LogManager::getInstance();
    DisplayManager &display_manager = DisplayManager::getInstance();
    InputManager &input_manager = InputManager::getInstance();
    WorldManager &world_manager = WorldManager::getInstance();
    PathManager &path_manager = PathManager::getInstance();
    const bool networking = Config::getInstance().getNetworking();
    Recording &recording = Recording::getInstance();
    const bool replaying = recording.isReplaying();
    // Played back without a window, nothing waits for the clock.
    const bool free_running = replaying && Config::getInstance().getHeadless();

    Clock clock;
    log.writeLog(1, "GameManager::run(): starting game loop");
    game_over = false;
    step_count = 0;
    int adjust_time = 0; // oversleep of the last pass, µs
    second_clock.delta();
    do
    {
        clock.delta();
        display_manager.swapBuffers();
        input_manager.getInput();
        const EventStep step(step_count);
        onEvent(&step);
        if (networking)
            pollNetwork(clock, frame_time);
        world_manager.update();
        world_manager.draw();
        if (show_frame_time)
            drawFrameTime();

        const long long frame_us = static_cast<long long>(frame_time) * 1000;
        const float left = static_cast<float>(frame_us - clock.split() - adjust_time);
        path_manager.cycle(toInt(left * PATH_SHARE / 1000.0f));
        if (!frame_directory.empty())
            writeFrame();

        const int split = clock.split();
        if (show_frame_time)
            countPass(split);
        const long long remaining = frame_us - split - adjust_time;
        if (!free_running)
        {
            if (remaining > 0)
            {
                // After a stop request this pass is the last one: sleeping it out would only delay the end.
                const long long sleep_ms = stop_requested ? 0 : remaining / 1000;
                const int before = clock.split();
                sleepMilliseconds(sleep_ms);
                const int after = clock.split();
                const long long oversleep = static_cast<long long>(after) - before - remaining;
                adjust_time = oversleep >= 0 ? toInt(oversleep) : 0;
            }
            else if (adjust_time != 0)
            {
                // The lateness is the last pass's oversleep paying back: no warning.
                adjust_time = 0;
            }
            else if (frame_time > 0 && step_count > 0)
            {
                log.writeLog("GameManager::run(): Can't keep up! frame_time %d ms, split %d ms", frame_time,
                             split / 1000);
            }
        }
        if (replaying && step_count >= recording.getEndPass())
            game_over = true;
        if (stop_requested)
            game_over = true;
        step_count++;
    } while (!game_over);
    recording.writeEnd(step_count - 1);
    log.writeLog(1, "GameManager::run(): end of game loop");
}

void GameManager::shutDown()
{
    LogManager &log = LogManager::getInstance();
    game_over = true;
    // Once per run: a start that failed, or a second stop, has no figures to give.
    if (show_frame_time && isStarted())
        logFrameTime();
    // A session that never ran has no end and cannot be replayed.
    Recording::getInstance().stop();
    PathManager::getInstance().shutDown();
    log.writeLog(1, "Path manager stopped");
    WorldManager::getInstance().shutDown();
    log.writeLog(1, "World manager stopped");
    ResourceManager::getInstance().shutDown();
    log.writeLog(1, "Resource manager stopped");
    if (Config::getInstance().getNetworking())
    {
        NetworkManager::getInstance().shutDown();
        log.writeLog(1, "Network manager stopped");
    }
    InputManager::getInstance().shutDown();
    log.writeLog(1, "Input manager stopped");
    DisplayManager::getInstance().shutDown();
    log.writeLog(1, "Display manager stopped");
    log.writeLog("%s", STARS);
    log.writeLog("** Game engine stopped **");
    log.shutDown();
    Manager::shutDown();
}

void GameManager::countPass(int pass_time)
{
    pass_time = std::max(pass_time, 0);
    const long long frame_us = static_cast<long long>(frame_time) * 1000;
    const int bin = std::min(pass_time / 1000, LONGEST_BINNED_PASS);
    if (static_cast<int>(pass_histogram.size()) <= bin)
        pass_histogram.resize(static_cast<std::size_t>(bin) + 1, 0);
    pass_histogram[static_cast<std::size_t>(bin)]++;
    worst_pass = std::max(worst_pass, pass_time);
    if (pass_time > frame_us)
        late_passes++;
    timed_passes++;

    second_passes.push_back(pass_time);
    if (second_clock.split() < READOUT_PERIOD)
        return;
    std::vector<int> sorted = second_passes;
    std::sort(sorted.begin(), sorted.end());
    int late = 0;
    for (int time : sorted)
        if (time > frame_us)
            late++;
    // Tenths of a millisecond: a pass well inside the frame takes only a few.
    char text[96];
    std::snprintf(text, sizeof(text), "pass %.1f ms, worst %.1f ms, %d/%d over %d ms",
                  static_cast<double>(sorted[sorted.size() / 2]) / 1000.0, static_cast<double>(sorted.back()) / 1000.0,
                  late, static_cast<int>(sorted.size()), frame_time);
    readout = text;
    second_passes.clear();
    second_clock.delta();
}

void GameManager::drawFrameTime() const
{
    if (readout.empty())
        return;
    const DisplayManager &display_manager = DisplayManager::getInstance();
    const Vector corner(0, static_cast<float>(display_manager.getVerticalChars() - 1));
    display_manager.drawString(viewToWorld(corner), readout, JUSTIFY_LEFT, WHITE);
}

void GameManager::logFrameTime() const
{
    int median = 0;
    int counted = 0;
    for (std::size_t ms = 0; ms < pass_histogram.size(); ms++)
    {
        counted += pass_histogram[ms];
        if (counted > timed_passes / 2)
        {
            median = static_cast<int>(ms);
            break;
        }
    }
    LogManager::getInstance().writeLog(
        "GameManager::shutDown(): frame time median %d ms, worst %d ms, %d of %d passes over %d ms", median,
        worst_pass / 1000, late_passes, timed_passes, frame_time);
}

int GameManager::takeOptions(std::vector<std::string> *p_args)
{
    std::string record;
    std::string replay;
    std::string frames;
    for (std::size_t i = 0; i < p_args->size();)
    {
        const std::string &arg = (*p_args)[i];
        std::string *p_operand = arg == "--record"   ? &record
                                 : arg == "--replay" ? &replay
                                 : arg == "--frames" ? &frames
                                                     : nullptr;
        if (!p_operand)
        {
            i++;
            continue;
        }
        if (!p_operand->empty() || !takeOperand(p_args, i, p_operand) || p_operand->empty())
        {
            std::fprintf(stderr, "%s is given twice or without an operand\n", arg.c_str());
            return 2;
        }
    }
    if (!record.empty() && !replay.empty())
    {
        std::fprintf(stderr, "--record and --replay exclude each other\n");
        return 2;
    }
    Recording &recording = Recording::getInstance();
    std::string error;
    if (!replay.empty() && recording.loadReplay(replay, &error) != 0)
    {
        std::fprintf(stderr, "cannot replay '%s': %s\n", replay.c_str(), error.c_str());
        return 1;
    }
    if (!frames.empty())
    {
        std::error_code code;
        std::filesystem::create_directories(frames, code);
        if (!std::filesystem::is_directory(frames, code))
        {
            std::fprintf(stderr, "cannot write frames into '%s'\n", frames.c_str());
            recording.stop();
            return 1;
        }
        frame_directory = frames;
    }
    if (!record.empty() && recording.startRecording(record, &error) != 0)
    {
        std::fprintf(stderr, "cannot record into '%s': %s\n", record.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

const char *GameManager::getOptionsHelp()
{
    return "  --record FILE   play and write the session into FILE, to be played again with --replay\n"
           "  --replay FILE   play the session recorded in FILE again, without live input (Q or\n"
           "                  closing the window stops it; with headless:true it runs at full speed)\n"
           "  --frames DIR    write what every pass draws into DIR/frame-NNNNNN.txt\n";
}

void GameManager::writeFrame()
{
    char name[32];
    std::snprintf(name, sizeof(name), "/frame-%06d.txt", step_count);
    const std::string path = frame_directory + name;
    std::FILE *p_f = std::fopen(path.c_str(), "w");
    const std::string text = DisplayManager::getInstance().getFrameText();
    const bool written = p_f && std::fwrite(text.data(), 1, text.size(), p_f) == text.size();
    if ((!p_f || std::fclose(p_f) != 0 || !written) && !frame_failed)
    {
        // Once: a full disk would otherwise fill the log as well.
        LogManager::getInstance().writeLog("GameManager::run(): Warning! Cannot write frame file '%s'.", path.c_str());
        frame_failed = true;
    }
}

void GameManager::setGameOver(bool new_game_over)
{
    game_over = new_game_over;
}

bool GameManager::getGameOver() const
{
    return game_over;
}

int GameManager::getFrameTime() const
{
    return frame_time;
}

int GameManager::getStepCount() const
{
    return step_count;
}

} // namespace qv
