#include "Animation.h"

#include "LogManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "attribute_text.h"

#include <climits>

namespace qv
{

void Animation::setSprite(Sprite *p_new_sprite)
{
    if (p_new_sprite)
        name = p_new_sprite->getLabel();
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

int Animation::draw(Vector position)
{
    if (!sprite)
        return 0;
    const int result = sprite->draw(index, position, sprite->getTransparency());
    if (slowdown_count == -1)
        return result;

    // A count or index of INT_MAX (read from a text) cannot go up by one; it is past every
    // slowdown and every frame anyway.
    setSlowdownCount(slowdown_count < INT_MAX ? slowdown_count + 1 : INT_MAX);
    if (slowdown_count < sprite->getSlowdown())
        return result;

    setSlowdownCount(0);
    int next = index < INT_MAX ? index + 1 : INT_MAX;
    if (next >= sprite->getFrameCount())
        next = 0;
    setIndex(next);
    return result;
}

Box Animation::getBox() const
{
    if (!sprite)
        return Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
    const float width = static_cast<float>(sprite->getWidth());
    const float height = static_cast<float>(sprite->getHeight());
    return Box(Vector(-width * 0.5f, -height * 0.5f), width, height);
}

std::string Animation::serialize(std::string attribute_list)
{
    const bool selected = attribute_list == "ALL" || (attribute_list.empty() && modified) ||
                          attribute_list.find("ANIMATION,") != std::string::npos;
    if (!selected)
        return "";
    modified = false;
    return "sprite_name:" + escapeText(name) + "," + "sprite_index:" + toString(index) + "," +
           "sprite_slowdown_count:" + toString(slowdown_count) + ",";
}

int Animation::deserialize(std::string text)
{
    // An empty text would make the parser answer from whatever table it parsed last.
    if (text.empty())
        return 0;
    LogManager &log = LogManager::getInstance();

    std::string verbatim;
    const std::string sprite_name = matchVerbatim(text, "sprite_name", &verbatim) ? unescapeText(verbatim) : "";
    if (!sprite_name.empty())
    {
        // Logged as written, so that a label cannot break the log's lines.
        const std::string shown = escapeText(sprite_name);
        log.writeLog(20, "Animation::deserialize(): sprite_name is '%s'", shown.c_str());
        Sprite *p_found = ResourceManager::getInstance().getSprite(sprite_name);
        if (p_found)
            setSprite(p_found);
        else
            log.writeLog("Animation::Match(): Sprite '%s' not found", shown.c_str());
        setName(sprite_name);
    }

    const std::string sprite_index = match(text, "sprite_index");
    if (!sprite_index.empty())
    {
        const int value = textToInt(sprite_index);
        log.writeLog(20, "Animation::deserialize(): sprite_index is %d", value);
        setIndex(value);
    }

    const std::string sprite_slowdown_count = match("", "sprite_slowdown_count");
    if (!sprite_slowdown_count.empty())
    {
        const int value = textToInt(sprite_slowdown_count);
        log.writeLog(20, "Animation::deserialize(): sprite_slowdown_count is %d", value);
        setSlowdownCount(value);
    }
    return 0;
}

} // namespace qv
