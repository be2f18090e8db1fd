#include "Animation.h"
#include "Frame.h"
#include "Sprite.h"
#include "Vector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(Animation, SlowdownHoldsEachFrameForItsSteps)
{
    struct Case
    {
        int frames, slowdown, index, slowdown_count;
        std::vector<int> shown; // index drawn on each step
    };
    const Case cases[] = {
        {2, 2, 0, 0, {0, 0, 1, 1, 0, 0}}, {3, 1, 0, 0, {0, 1, 2, 0}},  {3, 0, 0, 0, {0, 1, 2, 0}},
        {1, 3, 0, 0, {0, 0, 0, 0}},       {3, 1, 2, -1, {2, 2, 2, 2}}, // frozen
        {2, 2, 5, 0, {5, 5, 0, 0}}, // beyond the last frame: nothing drawn until the slowdown expires
    };
    for (const Case &c : cases)
    {
        qv::Sprite sprite(c.frames);
        sprite.setSlowdown(c.slowdown);
        for (int i = 0; i < c.frames; i++)
            sprite.insertFrame(qv::Frame(1, 1, std::to_string(i)));
        qv::Animation animation;
        animation.setSprite(&sprite);
        animation.setIndex(c.index);
        animation.setSlowdownCount(c.slowdown_count);
        std::vector<int> shown;
        for (std::size_t step = 0; step < c.shown.size(); step++)
        {
            shown.push_back(animation.getIndex());
            animation.draw(qv::Vector(5, 5));
        }
        EXPECT_EQ(shown, c.shown) << c.frames << " frames, slowdown " << c.slowdown;
    }
}
