#include "Wall.h"
#include "WorldManager.h"
#include "presentation_support.h"

#include <cstdio>

TEST_F(WindowTest, WallDrawsWhiteHashesOnEveryCellFromMinusHalfToPlusHalfOfEachExtent)
{
    startWindow();
    struct Case
    {
        int width, height;
        float x, y;
        int columns, rows;
    };
    // A room side of 80 covers 81 columns; the 9-high corridor passage stands half a row off the
    // grid, the 8-high door piece covers 9 rows.
    for (const Case &c : {Case{4, 2, 10, 5, 5, 3}, Case{80, 0, 40, 0, 81, 1}, Case{0, 9, 5, 7.5f, 1, 9},
                          Case{0, 8, 70, 19.5f, 1, 9}, Case{26, 0, 25, 12, 27, 1}})
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        Wall *p_wall = new Wall(c.width, c.height);
        p_wall->setPosition(qv::Vector(c.x, c.y));
        EXPECT_EQ(p_wall->getBox(), qv::Box(qv::Vector(-c.width * 0.5f, -c.height * 0.5f), c.width, c.height));
        std::vector<std::string> expected;
        char cell[64];
        for (int i = 0; i < c.rows * c.columns; i++)
        {
            std::snprintf(cell, sizeof cell, "(%.2f,%.2f)", c.x - c.width / 2 + i % c.columns,
                          c.y - c.height / 2 + i / c.columns);
            expected.push_back(cell);
        }
        EXPECT_EQ(drawnCells([p_wall] { p_wall->draw(); }), expected);
        qv::WorldManager::getInstance().markForDelete(p_wall);
    }
    // Walls are white: a 7-column one on a row no case above drew on.
    Wall *p_wall = new Wall(6, 0);
    p_wall->setPosition(qv::Vector(40, 20));
    p_wall->draw();
    EXPECT_GT(countPixels(capture(), 12 * 36, 30 * 20, 12 * 44, 30 * 21,
                          [](sf::Color c) { return isMostly(c, sf::Color::White); }),
              20);
}
