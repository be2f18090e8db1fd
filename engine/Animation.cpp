#include "Animation.h"

namespace qv
{

void Animation::setSprite(Sprite *p_new_sprite)
{
    sprite = p_new_sprite;
    index = 0;
    modified = true;
}

Sprite *Animation::getSprite() const
{
    return sprite;
}

void Animation::setName(const std::string &new_name)
{
    if (new_name != name)
        modified = true;
    name = new_name;
}

std::string Animation::getName() const
{
    return name;
}

void Animation::setIndex(int new_index)
{
    if (new_index != index)
        modified = true;
    index = new_index;
}

int Animation::getIndex() const
{
    return index;
}

void Animation::setSlowdownCount(int new_slowdown_count)
{
    if (new_slowdown_count != slowdown_count)
        modified = true;
    slowdown_count = new_slowdown_count;
}

int Animation::getSlowdownCount() const
{
    return slowdown_count;
}

int Animation::draw(Vector)
{
    return 0;
}

Box Animation::getBox() const
{
    return Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
}

std::string Animation::serialize(std::string)
{
    return "";
}

int Animation::deserialize(std::string)
{
    return 0;
}

} // namespace qv
