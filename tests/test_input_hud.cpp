#include "EventKeyboard.h"
#include "EventView.h"
#include "Object.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "test_input_support.h"

#include <SFML/Graphics/Image.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

// The heads-up display of a small game: B typed turns every border on or off, each pass with Up
// held counts a step on the item showing "Steps".
class HudKeys : public qv::Object
{
public:
    explicit HudKeys(std::vector<qv::ViewObject *> new_items) : items(std::move(new_items))
    {
        setSolidness(qv::SPECTRAL);
        registerInterest(qv::KEYBOARD_EVENT);
    }

    int eventHandler(const qv::Event *p_event) override
    {
        const auto *p_key = dynamic_cast<const qv::EventKeyboard *>(p_event);
        if (p_key == nullptr)
            return 0;
        if (p_key->getKey() == qv::Keyboard::B && p_key->getKeyboardAction() == qv::KEY_PRESSED)
        {
            for (qv::ViewObject *p_item : items)
                p_item->setBorder(!p_item->getBorder());
            return 1;
        }
        if (p_key->getKey() == qv::Keyboard::UP_ARROW && p_key->getKeyboardAction() == qv::KEY_DOWN)
        {
            const qv::EventView step("Steps", 1, true);
            qv::WorldManager::getInstance().onEvent(&step);
            return 1;
        }
        return 0;
    }

private:
    std::vector<qv::ViewObject *> items; // not owned
};

struct Item
{
    qv::ViewObjectLocation location;
    std::string text;
    int value;
    qv::Color color;
    float x;                 // cells, in the 80 x 24 view
    float y_border, y_plain; // cells
};

bool lit(sf::Color c)
{
    return c.r > 100 || c.g > 100 || c.b > 100;
}

// Checks where the item stands in the picture: the middle row spans the bars (with a border) or
// the text, the rows above and below hold dashes over the text or nothing. Cells are 12 x 30 pixels.
void expectItemAt(const sf::Image &image, const Item &item, bool border, int value)
{
    SCOPED_TRACE(item.text + (border ? " with border" : " without border"));
    std::string text = item.text + " " + std::to_string(value);
    if (border)
        text = " " + text + " ";
    const int n = static_cast<int>(text.size());
    const float y = border ? item.y_border : item.y_plain;
    const float first = item.x - static_cast<float>(n / 2); // first cell of the text
    const int band_x0 = static_cast<int>((first - 3) * 12);
    const int band_x1 = static_cast<int>((first + static_cast<float>(n) + 3) * 12);

    auto rowSpan = [&](float row)
    {
        sf::Image band;
        band.create(static_cast<unsigned>(band_x1 - band_x0), 30);
        band.copy(image, 0, 0, sf::IntRect(band_x0, static_cast<int>(row * 30), band_x1 - band_x0, 30));
        PixelBox box = boundingBox(band, lit);
        box.x0 += band_x0;
        box.x1 += band_x0;
        return box;
    };
    auto expectSpan = [&](float row, float first_cell, float last_cell)
    {
        const PixelBox box = rowSpan(row);
        ASSERT_LE(box.x0, box.x1) << "nothing drawn in row " << row;
        EXPECT_GE(box.x0, first_cell * 12 - 1) << "row " << row;
        EXPECT_LE(box.x0, first_cell * 12 + 11) << "row " << row;
        EXPECT_GE(box.x1, last_cell * 12) << "row " << row;
        EXPECT_LE(box.x1, last_cell * 12 + 15) << "row " << row;
    };

    const float last = first + static_cast<float>(n - 1);
    if (border)
    {
        expectSpan(y, first - 1, last + 1);
        expectSpan(y - 1, first, last);
        expectSpan(y + 1, first, last);
    }
    else
    {
        expectSpan(y, first, last);
        for (float row : {y - 1, y + 1})
        {
            if (row < 0 || row > 23)
                continue;
            const PixelBox box = rowSpan(row);
            EXPECT_GT(box.x0, box.x1) << "something drawn in row " << row;
        }
    }
}

void savePicture(const sf::Image &image, const std::string &name)
{
    const std::string folder = QV_BINARY_DIR "/screenshots";
    std::filesystem::create_directories(folder);
    const std::string png = folder + "/" + name;
    ASSERT_TRUE(image.saveToFile(png));
    sf::Image saved;
    ASSERT_TRUE(saved.loadFromFile(png));
    EXPECT_EQ(saved.getSize(), image.getSize());
}

} // namespace

// Nine items at the nine places of an 80 x 24 view scrolled away from the world's corner, drawn by
// the world manager as the game loop does, framed, then unframed by a typed B, then counting the
// passes Up is held. Both pictures are kept in the build folder.
TEST_F(InputWindowTest, HeadsUpDisplayStandsAtNinePlacesAndAnswersTypedKeys)
{
    qv::WorldManager &world_manager = qv::WorldManager::getInstance();
    world_manager.setBoundary(qv::Box(qv::Vector(0, 0), 400, 200));
    world_manager.setView(qv::Box(qv::Vector(150, 60), 80, 24));
    const float left = 80.0f / 6, centre = 40, right = 400.0f / 6;
    const std::vector<Item> items = {
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
        qv::ViewObject *p_v = new qv::ViewObject;
        p_v->setViewString(item.text);
        p_v->setValue(item.value);
        p_v->setColor(item.color);
        p_v->setLocation(item.location);
        views.push_back(p_v);
    }
    new HudKeys(views);
    auto frame = [&]
    {
        pass();
        world_manager.draw();
        return capture();
    };

    const sf::Image framed = frame();
    for (const Item &item : items)
        expectItemAt(framed, item, true, item.value);
    savePicture(framed, "hud-bordered.png");

    xdotool("key b");
    settle();
    const sf::Image plain = frame();
    for (const Item &item : items)
        expectItemAt(plain, item, false, item.value);
    savePicture(plain, "hud-plain.png");

    xdotool("keydown Up");
    waitForKey(sf::Keyboard::Up, true);
    for (int i = 0; i < 3; i++)
        frame();
    xdotool("keyup Up");
    waitForKey(sf::Keyboard::Up, false);
    const sf::Image counted = frame();
    EXPECT_EQ(views[4]->getValue(), 3);
    expectItemAt(counted, items[4], false, 3);
    for (std::size_t i = 0; i < views.size(); i++)
        EXPECT_EQ(views[i]->getValue(), i == 4 ? 3 : items[i].value) << items[i].text;
}
