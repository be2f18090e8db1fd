#include "EventKeyboard.h"
#include "EventView.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "test_input_support.h"

#include <filesystem>
#include <tuple>

// Nine items at the nine places of an 80 x 24 view scrolled away from the world's corner, drawn by
// the world manager as the game loop does: framed, unframed after a typed B, then counting the
// passes Up is held. The pictures are kept in the build folder.
TEST_F(InputWindowTest, HeadsUpDisplayStandsAtNinePlacesAndAnswersTypedKeys)
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    world.setBoundary(qv::Box(qv::Vector(0, 0), 400, 200));
    world.setView(qv::Box(qv::Vector(150, 60), 80, 24));
    struct Item
    {
        qv::ViewObjectLocation location;
        std::string text;
        int value;
        qv::Color color;
        float x, y_border, y_plain; // cells
    };
    const float left = 80.0f / 6, centre = 40, right = 400.0f / 6;
    const Item items[] = {
        {qv::TOP_LEFT, "Gold", 10, qv::YELLOW, left, 1, 0},
        {qv::TOP_CENTER, "Floor", 2, qv::WHITE, centre, 1, 0},
        {qv::TOP_RIGHT, "Keys", 3, qv::CYAN, right, 1, 0},
        {qv::CENTER_LEFT, "West", 4, qv::GREEN, left, 12, 11},
        {qv::CENTER_CENTER, "Steps", 0, qv::MAGENTA, centre, 12, 11},
        {qv::CENTER_RIGHT, "East", 6, qv::RED, right, 12, 11},
        {qv::BOTTOM_LEFT, "Food", 700, qv::BLUE, left, 22, 23},
        {qv::BOTTOM_CENTER, "Turn", 8, qv::WHITE, centre, 22, 23},
        {qv::BOTTOM_RIGHT, "Foes", -9, qv::YELLOW, right, 22, 23},
    };
    std::vector<qv::ViewObject *> views;
    for (const Item &item : items)
    {
        views.push_back(new qv::ViewObject);
        views.back()->setViewString(item.text);
        views.back()->setValue(item.value);
        views.back()->setColor(item.color);
        views.back()->setLocation(item.location);
    }
    RecordingObject *keys = new RecordingObject;
    keys->registerInterest(qv::KEYBOARD_EVENT);
    keys->on_event = [&](const qv::Event *p_event)
    {
        const auto *p_key = dynamic_cast<const qv::EventKeyboard *>(p_event);
        if (p_key->getKey() == qv::Keyboard::B && p_key->getKeyboardAction() == qv::KEY_PRESSED)
            for (qv::ViewObject *p_view : views)
                p_view->setBorder(!p_view->getBorder());
        const qv::EventView step("Steps", 1, true);
        if (p_key->getKey() == qv::Keyboard::UP_ARROW && p_key->getKeyboardAction() == qv::KEY_DOWN)
            world.onEvent(&step);
    };

    // Each item's text, between its bars when framed, spans its middle row; dashes run over the
    // text in the rows above and below when framed, and nothing is there when not. Cells are
    // 12 x 30 pixels.
    auto expectItems = [&](const std::string &picture, bool border)
    {
        pass();
        world.draw();
        const sf::Image image = capture();
        std::filesystem::create_directories(QV_BINARY_DIR "/screenshots");
        EXPECT_TRUE(image.saveToFile(QV_BINARY_DIR "/screenshots/" + picture));
        for (std::size_t i = 0; i < views.size(); i++)
        {
            SCOPED_TRACE(items[i].text + (border ? " framed" : ""));
            const int n = static_cast<int>((items[i].text + " " + std::to_string(views[i]->getValue())).size()) +
                          (border ? 2 : 0);
            const float first = items[i].x - static_cast<float>(n / 2), last = first + static_cast<float>(n - 1);
            const float y = border ? items[i].y_border : items[i].y_plain;
            for (const auto &[row, from, to] :
                 {std::tuple{y, first - border, last + border}, {y - 1, first, last}, {y + 1, first, last}})
            {
                if (row < 0 || row > 23)
                    continue;
                const int x0 = static_cast<int>((first - 3) * 12), width = (n + 6) * 12;
                sf::Image band;
                band.create(static_cast<unsigned>(width), 30);
                band.copy(image, 0, 0, sf::IntRect(x0, static_cast<int>(row * 30), width, 30));
                const PixelBox box = boundingBox(band, [](sf::Color c) { return c.r > 100 || c.g > 100 || c.b > 100; });
                if (row != y && !border)
                {
                    EXPECT_GT(box.x0, box.x1) << "something drawn in row " << row;
                    continue;
                }
                EXPECT_NEAR(x0 + box.x0, from * 12 + 5, 6) << "row " << row;
                EXPECT_NEAR(x0 + box.x1, to * 12 + 7, 8) << "row " << row;
            }
        }
    };
    expectItems("hud-bordered.png", true);
    xdotool("key b");
    settle();
    expectItems("hud-plain.png", false);
    xdotool("keydown Up");
    waitForKey(sf::Keyboard::Up, true);
    for (int i = 0; i < 3; i++)
        pass();
    xdotool("keyup Up");
    waitForKey(sf::Keyboard::Up, false);
    expectItems("hud-counted.png", false);
    for (std::size_t i = 0; i < views.size(); i++)
        EXPECT_EQ(views[i]->getValue(), i == 4 ? 3 : items[i].value) << items[i].text;
}
