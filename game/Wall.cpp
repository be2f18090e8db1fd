#include "Wall.h"

#include "Box.h"
#include "Color.h"
#include "DisplayManager.h"
#include "Vector.h"

Wall::Wall(int init_width, int init_height) : width(init_width), height(init_height)
{
    setType("Wall");
    setSolidness(qv::HARD);
    setBox(qv::Box(qv::Vector(-width * 0.5f, -height * 0.5f), static_cast<float>(width), static_cast<float>(height)));
}

int Wall::draw()
{
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    const qv::Vector position = getPosition();
    int result = 0;
    for (int i = -(height / 2); i <= height / 2; i++)
        for (int j = -(width / 2); j <= width / 2; j++)
            if (display_manager.drawCharacter(qv::Vector(position.getX() + j, position.getY() + i), '#', qv::WHITE) !=
                0)
                result = -1;
    return result;
}

int Wall::getWidth() const
{
    return width;
}

int Wall::getHeight() const
{
    return height;
}
