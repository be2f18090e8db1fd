#include "EventKeyboard.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "test_input_support.h"

#include <array>
#include <filesystem>

// Nine items at the nine places (TOP_LEFT to BOTTOM_RIGHT) of an 80 x 24 view scrolled away from
// the world's corner, drawn by the world manager as the game loop does, framed, then plain after a
// typed B. Item i's text ("Gold 10", " Gold 10 " framed, between bars) is centred on column 80/6,
// 40 or 400/6 of row 0, 11 or 23 (1, 12 or 22 framed) of 12 x 30 pixels. Pictures: build folder.
TEST_F(InputWindowTest, HeadsUpDisplayStandsAtNinePlacesAndAnswersTypedKeys)
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    world.setBoundary(qv::Box(qv::Vector(0, 0), 400, 200));
    world.setView(qv::Box(qv::Vector(150, 60), 80, 24));
    const std::string texts[] = {"Gold", "Floor", "Keys", "West", "Steps", "East", "Food", "Turn", "Foes"};
    const int values[] = {10, 2, 3, 4, 0, 6, 700, 8, -9};
    std::vector<qv::ViewObject *> views;
    for (int i = 0; i < 9; i++)
    {
        views.push_back(new qv::ViewObject);
        views[i]->setViewString(texts[i]);
        views[i]->setValue(values[i]);
        views[i]->setLocation(static_cast<qv::ViewObjectLocation>(i));
    }
    RecordingObject *keys = new RecordingObject;
    keys->registerInterest(qv::KEYBOARD_EVENT);
    keys->on_event = [&](const qv::Event *p_event)
    {
        const auto *p_key = dynamic_cast<const qv::EventKeyboard *>(p_event);
        for (qv::ViewObject *p_view : views)
            p_view->setBorder(p_view->getBorder() !=
                              (p_key->getKey() == qv::Keyboard::B && p_key->getKeyboardAction() == qv::KEY_PRESSED));
    };
    auto expectItems = [&](const std::string &picture, bool border)
    {
        pass();
        world.draw();
        const sf::Image image = capture();
        std::filesystem::create_directories(QV_BINARY_DIR "/screenshots");
        EXPECT_TRUE(image.saveToFile(QV_BINARY_DIR "/screenshots/" + picture));
        for (int i = 0; i < 9; i++)
        {
            const int n = static_cast<int>((texts[i] + std::to_string(values[i])).size()) + (border ? 5 : 1);
            const float first = std::array{80.0f / 6, 40.0f, 400.0f / 6}[i % 3] - static_cast<float>(n / 2);
            const int row = (border ? std::array{1, 12, 22} : std::array{0, 11, 23})[i / 3];
            sf::Image band;
            band.create(static_cast<unsigned>(n + 6) * 12, 30);
            band.copy(image, 0, 0, sf::IntRect(static_cast<int>((first - 3) * 12), row * 30, (n + 6) * 12, 30));
            const PixelBox box = boundingBox(band, [](sf::Color c) { return c.r > 100 || c.g > 100 || c.b > 100; });
            EXPECT_NEAR(box.x0, 3 * 12 + 5, 6) << texts[i] << " in " << picture;
            EXPECT_NEAR(box.x1, (n + 2) * 12 + 7, 8) << texts[i] << " in " << picture;
        }
    };
    expectItems("hud-bordered.png", true);
    xdotool("key b");
    settle();
    expectItems("hud-plain.png", false);
}
