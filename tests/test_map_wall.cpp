#include "Wall.h"
#include "WorldManager.h"
#include "presentation_support.h"

#include <cstdio>
#include <tuple>

// Each case: width, height, position, and the columns and rows drawn. A room side of 80 covers
// 81 columns; a 9-high corridor passage stands half a row off the grid; an 8-high door piece
// covers 9 rows. The last, white, wall is drawn on a row no other case touches.
TEST_F(WindowTest, WallDrawsWhiteHashesOnEveryCellFromMinusHalfToPlusHalfOfEachExtent)
{
    startWindow();
    for (const auto &[width, height, x, y, columns, rows] : {std::tuple{4, 2, 10.0f, 5.0f, 5, 3},
                                                             {80, 0, 40.0f, 0.0f, 81, 1},
                                                             {0, 9, 5.0f, 7.5f, 1, 9},
                                                             {0, 8, 70.0f, 19.5f, 1, 9},
                                                             {26, 0, 25.0f, 12.0f, 27, 1},
                                                             {6, 0, 40.0f, 20.0f, 7, 1}})
    {
        Wall *p_wall = new Wall(width, height);
        p_wall->setPosition(qv::Vector(x, y));
        EXPECT_EQ(p_wall->getBox(), qv::Box(qv::Vector(-width * 0.5f, -height * 0.5f), width, height));
        std::vector<std::string> expected;
        char cell[64];
        for (int i = 0; i < rows * columns; i++)
        {
            std::snprintf(cell, sizeof cell, "(%.2f,%.2f)", x - width / 2 + i % columns, y - height / 2 + i / columns);
            expected.push_back(cell);
        }
        EXPECT_EQ(drawnCells([p_wall] { p_wall->draw(); }), expected) << width << " x " << height;
    }
    EXPECT_GT(countPixels(capture(), 12 * 36, 30 * 20, 12 * 44, 30 * 21,
                          [](sf::Color c) { return isMostly(c, sf::Color::White); }),
              20);
}
