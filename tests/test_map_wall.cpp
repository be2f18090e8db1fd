#include "Wall.h"
#include "WorldManager.h"
#include "presentation_support.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{

std::string cell(float x, float y)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%.2f,%.2f)", x, y);
    return text;
}

} // namespace

TEST_F(WindowTest, WallDrawsEveryCellFromMinusHalfToPlusHalfOfEachExtent)
{
    startWindow();
    struct Case
    {
        int width, height;
        float x, y;
        int columns, rows;
    };
    const Case cases[] = {
        {4, 2, 10, 5, 5, 3},     // both ends included
        {80, 0, 40, 0, 81, 1},   // a whole room side covers 81 columns
        {0, 9, 5, 7.5f, 1, 9},   // a corridor passage, half a row off the grid
        {0, 8, 70, 19.5f, 1, 9}, // a room's door piece: integer halves
        {26, 0, 25, 12, 27, 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        Wall *p_wall = new Wall(c.width, c.height);
        p_wall->setPosition(qv::Vector(c.x, c.y));
        EXPECT_EQ(p_wall->getType(), "Wall");
        EXPECT_EQ(p_wall->getSolidness(), qv::HARD);
        EXPECT_EQ(p_wall->getBox(), qv::Box(qv::Vector(-c.width * 0.5f, -c.height * 0.5f), c.width, c.height));
        std::vector<std::string> expected;
        for (int i = 0; i < c.rows; i++)
            for (int j = 0; j < c.columns; j++)
                expected.push_back(cell(c.x - c.width / 2 + j, c.y - c.height / 2 + i));
        EXPECT_EQ(drawnCells([p_wall] { EXPECT_EQ(p_wall->draw(), 0); }), expected);
        qv::WorldManager::getInstance().markForDelete(p_wall);
    }
    // Walls are white '#' characters.
    Wall *p_wall = new Wall(6, 0);
    p_wall->setPosition(qv::Vector(40, 12));
    p_wall->draw();
    const sf::Image image = capture();
    EXPECT_GT(countPixels(image, 12 * 36, 30 * 12, 12 * 44, 30 * 13,
                          [](sf::Color c) { return isMostly(c, sf::Color::White); }),
              20);
}
