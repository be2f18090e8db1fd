#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "EventStep.h"
#include "Frame.h"
#include "Recording.h"
#include "Vector.h"
#include "world_support.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <thread>

namespace
{

// The lines of a log that a replay must reproduce, each as its pass and message: all but those
// that time the loop itself.
std::vector<std::string> gameLines(const std::string &log)
{
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
    {
        if (line.find("GameManager::run(): Can't keep up!") != std::string::npos ||
            line.find("GameManager::shutDown(): frame time median") != std::string::npos ||
            line.find("GameManager::run(): Warning! Residual network data.") != std::string::npos)
            continue;
        // Past "hh:mm:ss ".
        lines.push_back(line.size() > 9 ? line.substr(9) : line);
    }
    return lines;
}

// The last frame file in `folder`, and in `*p_count` how many there are.
std::string lastFrame(const std::string &folder, int *p_count)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    *p_count = static_cast<int>(names.size());
    return names.empty() ? "" : readFile(names.back());
}

} // namespace

// Runs the dungeon in the project's root (for its sprites and font) with the test's configuration.
class ReplayTest : public EngineTest
{
protected:
    // The program's exit status, or -1; its output goes to out.txt and err.txt in the test's folder.
    // In a window the game's own leaks are not looked for: at exit the OpenGL driver leaves some behind.
    int dungeon(const std::string &options, const std::string &log, bool window = false) const
    {
        const std::string command = "cd " QV_SOURCE_DIR " && env ALSOFT_DRIVERS=null QUORVEX_LOG=" + log +
                                    (window ? " ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " : " ") +
                                    QV_BINARY_DIR "/dungeon " + options + " >" + dir + "/out.txt 2>" + dir + "/err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(ReplayTest, SessionRecordedInAWindowReplaysIdenticallyHeadlessAndInAWindow)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no X display for the windowed replay";
    writeConfig("headless:false,\nrandom_seed:227,\nframe_time:33,\nwindow_horizontal_pixels:1200,\n"
                "window_vertical_pixels:720,\nwindow_horizontal_chars:80,\nwindow_vertical_chars:24,\n"
                "font_scale:1.5,\nfont_file:qv-font.ttf,\n");
    // Seed 227: the hero starts above a monster, walks into it and fights it (see the game's
    // program test); then walks right a little and quits.
    const std::string recording = dir + "/session.txt";
    const std::string route = "key:p wait:1:DONE_CREATING_LEVEL_GEOMETRY sleep:0.3 holduntil:Down:1:Hero_was_hit "
                              "tapuntil:a:1:Deleting_a_monster_from_the_list hold:Right:1 sleep:0.3 key:q";
    const std::string command =
        "env -u DISPLAY ALSOFT_DRIVERS=null ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" DUNGEON_ARGS=\"--record " +
        recording + " --frames " + dir +
        "/live\" timeout 100 " QV_SOURCE_DIR "/tools/play_session.sh " QV_BINARY_DIR "/dungeon " + dir + "/shots " +
        route + " >" + dir + "/session-out.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readFile(dir + "/session-out.txt") << readLog();
    const std::vector<std::string> recorded = gameLines(readLog());
    ASSERT_TRUE(containsInOrder(logMessages(), {"About to run", "DONE CREATING LEVEL GEOMETRY", "Hero was hit",
                                                "Deleting a monster from the list"}));
    int live_frames = 0;
    const std::string live_last = lastFrame(dir + "/live", &live_frames);

    // The replays must not depend on anything the window session's configuration says beyond
    // how to show it.
    writeConfig("headless:true,\nrandom_seed:1,\nframe_time:5,\nwindow_horizontal_chars:40,\n");
    for (const std::string run : {"headless1", "headless2", "window"})
    {
        if (run == "window")
            writeConfig("headless:false,\nfont_file:qv-font.ttf,\n");
        const std::string log = dir + "/" + run + ".log";
        ASSERT_EQ(dungeon("--replay " + recording + " --frames " + dir + "/" + run, log, run == "window"), 0)
            << run << readFile(dir + "/err.txt");
        EXPECT_EQ(gameLines(readFile(log)), recorded) << run;
        int frames = 0;
        EXPECT_EQ(lastFrame(dir + "/" + run, &frames), live_last) << run;
        EXPECT_EQ(frames, live_frames) << run;
    }
}

// A session of the dungeon kept as a regression: seed 227, a fight, the walk to the stairs and the
// second floor. When the game changes on purpose, tools/update_replay_data.sh records it anew.
TEST_F(ReplayTest, KeptSessionReplaysToItsStoredLogAndLastFrame)
{
    writeConfig("headless:true,\n");
    const std::string data = QV_SOURCE_DIR "/tests/data/";
    ASSERT_EQ(dungeon("--replay " + data + "dungeon-session.txt --frames " + dir + "/frames", log_path), 0)
        << readFile(dir + "/err.txt");
    std::vector<std::string> expected;
    std::istringstream in(readFile(data + "dungeon-session-log.txt"));
    for (std::string line; std::getline(in, line);)
        expected.push_back(line);
    ASSERT_GT(expected.size(), 50u);
    EXPECT_EQ(gameLines(readLog()), expected);
    int frames = 0;
    EXPECT_EQ(lastFrame(dir + "/frames", &frames), readFile(data + "dungeon-session-frame.txt"));
}

TEST_F(ReplayTest, DamagedRecordingsAreRefusedWithTheirLineBeforeAnythingRuns)
{
    const std::string head = "quorvex-recording 1\nconfig frame_time:33,window_horizontal_pixels:960,"
                             "window_vertical_pixels:720,window_horizontal_chars:80,window_vertical_chars:24,\n"
                             "seed 5\n";
    const struct
    {
        std::string text;
        std::string expected; // in the message
    } cases[] = {
        {"quorvex-recording 2\n" + head.substr(20), "line 1: unknown version '2'"},
        {"hello\n", "line 1: not a recording"},
        {"quorvex-recording 1\nseed 5\nend 3\n", "line 2: malformed"},
        {"quorvex-recording 1\nconfig frame_time:33,window_horizontal_chars:100000,\nseed 5\nend 3\n",
         "line 2: setting window_horizontal_chars"},
        {"quorvex-recording 1\nconfig frame_time:33,\nseed 5\nend 3\n", "line 2: setting window_horizontal_chars"},
        {head.substr(0, head.size() - 7) + "seed x\nend 3\n", "line 3: malformed"},
        {head + "key 3 pressed 52\nkey 2 released 52\nend 9\n", "line 5: pass 2 out of order"},
        {head + "key 3 pushed 52\nend 9\n", "line 4: malformed"},
        {head + "key 3 pressed 999\nend 9\n", "line 4: malformed"},
        {head + "key 3 pressed\nend 9\n", "line 4: malformed"},
        {head + "mouse 3 clicked left 5\nend 9\n", "line 4: malformed"},
        {head + "mouse 3 clicked thumb 5 5\nend 9\n", "line 4: malformed"},
        {head + "path 3 1000000000 0\nend 9\n", "line 4: malformed"},
        {head + "path 3 10 0\npath 3 10 0\nend 9\n", "line 5: second path record"},
        {head + "jump 3\nend 9\n", "line 4: unknown record 'jump'"},
        {head + "key -3 pressed 52\nend 9\n", "line 4: malformed"},
        {head + "key 3 pressed 52\nend 9\nkey 10 pressed 52\n", "line 6: records after the end"},
        {head + "key 3 pressed 52\nend 2\n", "line 5: pass 2 out of order"},
        {head + "key 3 pressed 52\n", "line 4: truncated (no end record)"},
        {head + "key 3 pressed 52\nend 9", "line 5: truncated (no end of line)"},
        {head + "key 3 " + std::string(300, 'x') + "\nend 9\n", "line 4: line too long"},
        {head +
             []
             {
                 std::string many;
                 for (int i = 0; i < 10001; i++)
                     many += "key 4 down 52\n";
                 return many;
             }() +
             "end 9\n",
         "line 10004: more than 10000 input events in pass 4"},
    };
    for (const auto &bad : cases)
    {
        const std::string file = writeFile("bad.txt", bad.text);
        std::filesystem::remove(log_path);
        EXPECT_EQ(dungeon("--replay " + file, log_path), 1) << bad.expected;
        const std::string err = readFile(dir + "/err.txt");
        EXPECT_NE(err.find("cannot replay '" + file + "': " + bad.expected), std::string::npos) << bad.expected << "\n"
                                                                                                << err;
        EXPECT_FALSE(std::filesystem::exists(log_path)) << bad.expected;
    }
}

TEST_F(ReplayTest, HelpListsTheOptionsAndMisuseEndsWithStatusTwo)
{
    EXPECT_EQ(dungeon("--help", log_path), 0);
    const std::string help = readFile(dir + "/out.txt");
    for (const char *option : {"--record FILE", "--replay FILE", "--frames DIR", "--watch HOST[:PORT]"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    for (const std::string &misuse :
         std::vector<std::string>{"--bogus", "--record", "--replay a --record b", "--frames x --frames y",
                                  "--record " + dir + "/r.txt --watch localhost", "extra"})
    {
        EXPECT_EQ(dungeon(misuse, log_path), 2) << misuse;
        EXPECT_NE(readFile(dir + "/err.txt").find("--replay FILE"), std::string::npos) << misuse;
        EXPECT_FALSE(std::filesystem::exists(log_path)) << misuse;
    }
}

// Headless, nothing is drawn, yet the frame text shows what a window would: sprite frames whole,
// strings justified, colours by letter, and a fresh frame after every swap.
TEST_F(EngineTest, FrameTextShowsWhatEachCellOfTheFrameHoldsAlsoHeadless)
{
    writeConfig("headless:true,\nwindow_horizontal_chars:6,\nwindow_vertical_chars:3,\n");
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    EXPECT_EQ(display_manager.drawString(qv::Vector(3, 0), "abc", qv::JUSTIFY_CENTER, qv::RED), -1);
    EXPECT_EQ(display_manager.drawCharacter(qv::Vector(5, 2), 'z', 10, 20, 30), -1);
    EXPECT_EQ(display_manager.drawCharacter(qv::Vector(9, 9), 'q', qv::BLUE), -1);
    EXPECT_EQ(qv::Frame(2, 2, "#%o\n").draw(qv::Vector(0.5f, 1.5f), qv::CYAN, '%'), -1);
    EXPECT_EQ(display_manager.getFrameText(), "  abc \n"
                                              "#     \n"
                                              "o?   z\n"
                                              "\n"
                                              "..rrr.\n"
                                              "c.....\n"
                                              "cc...x\n");
    display_manager.swapBuffers();
    EXPECT_EQ(display_manager.getFrameText(), "      \n      \n      \n\n......\n......\n......\n");
    game_manager.shutDown();
}

// The path manager's share of a pass depends on how fast the machine is: a replay makes the steps
// each recorded pass made, even where its own clock would allow others.
TEST_F(EngineTest, PathSearchesOfAReplayMakeTheStepsOfEachRecordedPass)
{
    writeConfig("headless:true,\nframe_time:2,\nrandom_seed:-1,\n");
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    // 100 passes of searches around a wall; a `slow` pass spends its frame before the path manager's turn.
    const auto session = [&](bool slow_even_passes)
    {
        std::vector<std::string> reports;
        EXPECT_EQ(game_manager.startUp(), 0);
        qv::WorldManager::getInstance().setBoundary(qv::Box(qv::Vector(0, 0), 80, 24));
        for (int y = 0; y < 23; y++)
            new Recorder("wall", qv::Vector(40, static_cast<float>(y)));
        for (int i = 0; i < 4; i++)
        {
            Recorder *p_seeker = new Recorder("seeker" + std::to_string(i), qv::Vector(2, 2 + 5 * i), qv::SPECTRAL);
            p_seeker->on_event = [&reports, p_seeker](const qv::Event *)
            {
                reports.push_back(p_seeker->getType() + " at pass " +
                                  std::to_string(qv::GameManager::getInstance().getStepCount()));
            };
            EXPECT_EQ(p_seeker->requestPath(qv::Vector(78, static_cast<float>(20 - 5 * i))), 0);
        }
        Recorder *p_clock = new Recorder("clock", qv::Vector(0, 23), qv::SPECTRAL);
        p_clock->registerInterest(qv::STEP_EVENT);
        p_clock->on_event = [slow_even_passes](const qv::Event *p_event)
        {
            const int pass = static_cast<const qv::EventStep *>(p_event)->getStepCount();
            if (slow_even_passes && pass % 2 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
            if (pass == 100)
                qv::GameManager::getInstance().setGameOver();
        };
        game_manager.run();
        game_manager.shutDown();
        return reports;
    };

    std::string error;
    const std::string file = dir + "/paths.txt";
    ASSERT_EQ(qv::Recording::getInstance().startRecording(file, &error), 0) << error;
    const std::vector<std::string> recorded = session(true);
    ASSERT_EQ(recorded.size(), 4u) << "every search ends within the session";
    const std::string text = readFile(file);
    EXPECT_EQ(text.find("\npath 0 "), std::string::npos) << "a slow pass makes no step";
    EXPECT_NE(text.find("\npath 1 "), std::string::npos);
    EXPECT_NE(text.find("\nend 100\n"), std::string::npos);

    ASSERT_EQ(qv::Recording::getInstance().loadReplay(file, &error), 0) << error;
    EXPECT_EQ(session(false), recorded);
}

// A session seeded from the clock keeps the seed it was given, and its replay uses that seed, not
// the clock nor the configuration's.
TEST_F(EngineTest, ReplaySeedsTheGeneratorWithTheRecordedSeed)
{
    writeConfig("headless:true,\nframe_time:1,\nrandom_seed:0,\n");
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    qv::Recording &recording = qv::Recording::getInstance();
    const std::string file = dir + "/seed.txt";
    std::string error;
    ASSERT_EQ(recording.startRecording(file, &error), 0) << error;
    const long long now = static_cast<long long>(std::time(nullptr));
    ASSERT_EQ(game_manager.startUp(), 0);
    Recorder *p_clock = new Recorder("clock");
    p_clock->registerInterest(qv::STEP_EVENT);
    p_clock->on_event = [](const qv::Event *) { qv::GameManager::getInstance().setGameOver(); };
    game_manager.run();
    game_manager.shutDown();
    std::istringstream lines(readFile(file));
    std::string version, config, seed, end;
    std::getline(lines, version);
    std::getline(lines, config);
    std::getline(lines, seed);
    std::getline(lines, end);
    EXPECT_EQ(version, "quorvex-recording 1");
    EXPECT_NE(config.find(",random_seed:0,"), std::string::npos) << config;
    ASSERT_EQ(seed.compare(0, 5, "seed "), 0) << seed;
    EXPECT_NEAR(std::atoll(seed.c_str() + 5), now, 100);
    EXPECT_EQ(end, "end 0");

    writeFile("seed.txt", version + "\n" + config + "\nseed 12345\n" + end + "\n");
    ASSERT_EQ(recording.loadReplay(file, &error), 0) << error;
    ASSERT_EQ(game_manager.startUp(), 0);
    const int drawn = std::rand();
    game_manager.shutDown();
    std::srand(12345);
    EXPECT_EQ(drawn, std::rand());
}

// Each recorded event reaches the objects in its pass, in its order, as the live one did; a close
// request ends the game there, and what came after it in that pass is not delivered.
TEST_F(EngineTest, ReplayDeliversTheRecordedInputInItsPass)
{
    // Cells of 12 x 30 pixels.
    writeFile("input.txt", "quorvex-recording 1\n"
                           "config frame_time:33,window_horizontal_pixels:960,window_vertical_pixels:720,"
                           "window_horizontal_chars:80,window_vertical_chars:24,\n"
                           "seed 5\n"
                           "key 1 pressed 52\n"
                           "mouse 1 moved none 24 90\n"
                           "key 1 down 4\n"
                           "mouse 3 clicked right 120 60\n"
                           "mouse 3 pressed left 6 15\n"
                           "key 3 released 158\n"
                           "close 4\n"
                           "key 4 pressed 36\n"
                           "key 5 pressed 37\n"
                           "end 9\n");
    writeConfig("headless:true,\n");
    std::string error;
    ASSERT_EQ(qv::Recording::getInstance().loadReplay(dir + "/input.txt", &error), 0) << error;
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    std::vector<std::string> delivered;
    Recorder *p_player = new Recorder("player");
    p_player->registerInterest(qv::KEYBOARD_EVENT);
    p_player->registerInterest(qv::MOUSE_EVENT);
    p_player->on_event = [&delivered](const qv::Event *p_event)
    {
        const std::string pass = std::to_string(qv::GameManager::getInstance().getStepCount());
        if (const auto *p_key = dynamic_cast<const qv::EventKeyboard *>(p_event))
            delivered.push_back(pass + " key " + std::to_string(p_key->getKeyboardAction()) + " " +
                                std::to_string(p_key->getKey()));
        if (const auto *p_mouse = dynamic_cast<const qv::EventMouse *>(p_event))
            delivered.push_back(pass + " mouse " + std::to_string(p_mouse->getMouseAction()) + " " +
                                std::to_string(p_mouse->getMouseButton()) + " " +
                                std::to_string(p_mouse->getMousePosition().getX()) + " " +
                                std::to_string(p_mouse->getMousePosition().getY()));
    };
    game_manager.run();
    EXPECT_EQ(game_manager.getStepCount(), 5) << "the close request in pass 4 ends the game";
    game_manager.shutDown();
    EXPECT_EQ(delivered, (std::vector<std::string>{"1 key 0 52", "1 mouse 2 -1 2.000000 3.000000", "1 key 2 4",
                                                   "3 mouse 0 1 10.000000 2.000000", "3 mouse 1 0 0.500000 0.500000",
                                                   "3 key 1 158"}));
}

// In a window a replay runs at the recorded pace, and the viewer's Q stops it.
TEST_F(ReplayTest, QStopsAReplayInAWindow)
{
    writeConfig("headless:false,\nfont_file:qv-font.ttf,\n");
    const std::string command = "env -u DISPLAY ALSOFT_DRIVERS=null ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" "
                                "DUNGEON_ARGS=\"--replay " QV_SOURCE_DIR "/tests/data/dungeon-session.txt\" "
                                "timeout 100 " QV_SOURCE_DIR "/tools/play_session.sh " QV_BINARY_DIR "/dungeon " +
                                dir + "/shots key:q >" + dir + "/session-out.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readFile(dir + "/session-out.txt") << readLog();
    const std::vector<std::string> lines = gameLines(readLog());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(5), "** Game engine stopped **");
    // The session's own Q comes at pass 830.
    EXPECT_LT(std::atoi(lines.back().c_str()), 800);
}
