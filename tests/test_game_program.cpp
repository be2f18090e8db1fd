#include "presentation_support.h"

#include <cstdlib>
#include <filesystem>

// The real game in a window of 80 x 24 cells of 15 x 30 pixels on a display of its own, played by
// tools/play_session.sh on the floor of seed 227, whose start room (7, 2) holds one monster and whose
// stairs room (7, 0) lies straight up through the corridor (7, 1). At 30 passes a second the hero
// walks down into the monster, kills it, walks right to x = 600 (591.5 to 608.5 pass the corridor),
// up and left until walls stop it, right to x = 570 (565 to 575 is over the stairs) and down.
TEST_F(EngineTest, GamePlaysFromTheTitleThroughAFightToTheNextFloor)
{
    writeConfig("headless:false,\nrandom_seed:227,\nframe_time:33,\nwindow_horizontal_pixels:1200,\n"
                "window_vertical_pixels:720,\nwindow_horizontal_chars:80,\nwindow_vertical_chars:24,\n"
                "font_scale:1.5,\nfont_file:qv-font.ttf,\nwindow_title:Quorvex,\n");
    const std::string shots = QV_BINARY_DIR "/screenshots/session";
    std::filesystem::remove_all(shots);
    const std::string route = "shot:title key:p wait:1:DONE_CREATING_LEVEL_GEOMETRY sleep:0.5 shot:floor "
                              "holduntil:Down:1:Hero_was_hit sleep:0.3 shot:hurt "
                              "tapuntil:a:1:Deleting_a_monster_from_the_list sleep:0.3 shot:fought "
                              "hold:Right:3 hold:Up:14 hold:Left:5 hold:Right:0.85 "
                              "holduntil:Down:2:DONE_CREATING_LEVEL_GEOMETRY sleep:0.5 shot:floor2 key:q";
    // The game's own leaks are looked for in-process; at exit the OpenGL driver leaves some behind.
    const std::string output = dir + "/session.txt";
    const std::string command =
        "env -u DISPLAY ALSOFT_DRIVERS=null ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" timeout 100 " QV_SOURCE_DIR
        "/tools/play_session.sh " QV_BINARY_DIR "/dungeon " +
        shots + " " + route + " >" + output + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readFile(output) << readLog();

    const std::vector<std::string> messages = logMessages();
    EXPECT_TRUE(containsInOrder(messages, {"About to run", "DONE CREATING LEVEL GEOMETRY", "Hero was hit",
                                           "Deleting a monster from the list", "DONE CREATING LEVEL GEOMETRY"}));
    EXPECT_EQ(logCount("Player issued an efficient attack"), 6);
    EXPECT_EQ(messages.back(), "** Game engine stopped **");
    std::vector<int> hunger;
    const std::string down = "Hunger::checkGameOver(): Hunger down to ";
    for (const std::string &message : messages)
        if (message.compare(0, down.size(), down) == 0)
            hunger.push_back(std::atoi(message.c_str() + down.size()));
    ASSERT_GE(hunger.size(), 3u);
    EXPECT_LT(hunger.back(), hunger.front());

    sf::Image title, floor, hurt, fought, floor2;
    for (auto [image, name] :
         {std::pair{&title, "title"}, {&floor, "floor"}, {&hurt, "hurt"}, {&fought, "fought"}, {&floor2, "floor2"}})
        ASSERT_TRUE(image->loadFromFile(shots + "/" + name + ".png")) << name;
    const auto cyan = [](sf::Color c) { return isMostly(c, sf::Color::Cyan); };
    const auto white = [](sf::Color c) { return isMostly(c, sf::Color::White); };
    EXPECT_GT(countPixels(title, 0, 0, 1200, 720, [](sf::Color c) { return isMostly(c, sf::Color::Yellow); }), 20000);
    EXPECT_EQ(countPixels(title, 0, 0, 1200, 720, cyan), 0);
    // The hero stood still from the touch to the monster's death: where the cyan hero stands
    // after the fight, the touched hero showed its red hurt sprite.
    const PixelBox hero = boundingBox(fought, cyan);
    ASSERT_LT(hero.x0, hero.x1);
    EXPECT_EQ(countPixels(hurt, hero.x0, hero.y0, hero.x1 + 1, hero.y1 + 1, cyan), 0);
    EXPECT_GT(countPixels(hurt, hero.x0, hero.y0, hero.x1 + 1, hero.y1 + 1,
                          [](sf::Color c) { return isMostly(c, sf::Color::Red); }),
              50);
    // Row 1 (pixels 30 to 60): "| Hunger 100 |", centred on column 13.3 of 15 pixels, has its left
    // bar in pixels 95 to 110, where "| Hunger 81 |" has nothing; the digit of "| FLOOR 1 |",
    // centred on column 66.7, is drawn in pixels 1045 to 1060.
    EXPECT_GT(countPixels(floor, 95, 30, 110, 60, white), 0);
    EXPECT_EQ(countPixels(fought, 95, 30, 110, 60, white), 0);
    EXPECT_NE(countPixels(floor2, 1045, 30, 1060, 60, white), countPixels(fought, 1045, 30, 1060, 60, white));
}
