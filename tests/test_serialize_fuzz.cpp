#include "ResourceManager.h"
#include "ViewObject.h"
#include "world_support.h"

#include <string>
#include <vector>

// Texts that once did harm when read into live objects, each with what must hold afterwards.
// After reading, the world runs a pass over the objects, as the game loop would.
class SerializeFuzzTest : public WorldTest
{
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        const std::string file = writeFile("ghost.txt", "<HEADER>\nframes 2\nwidth 3\nheight 1\nslowdown 2\n</HEADER>\n"
                                                        "<BODY>\n<o>\nend\n>o<\nend\n</BODY>\n<FOOTER>\nversion 1\n"
                                                        "</FOOTER>\n");
        ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, "ghost"), 0);
    }

    // Reads `text` into a new object and a new view object, then runs one pass of the world.
    void readAndRun(const std::string &text)
    {
        p_object = new qv::Object;
        p_view = new qv::ViewObject;
        p_object->deserialize(text);
        p_view->deserialize(text);
        world().update();
        world().draw();
        world().draw();
    }

    qv::Object *p_object = nullptr;
    qv::ViewObject *p_view = nullptr;
};

TEST_F(SerializeFuzzTest, FrameIndexAndCountAtTheTopStepOnToTheFirstFrame)
{
    struct Case
    {
        const char *text;
        int index;
        int slowdown_count;
    };
    // Two draws: the first one steps on, the second counts.
    const Case cases[] = {
        {"sprite_name:ghost,sprite_index:2147483647,sprite_slowdown_count:1,", 0, 1},
        {"sprite_name:ghost,sprite_index:1,sprite_slowdown_count:2147483647,", 0, 1},
        {"sprite_name:ghost,sprite_index:99999999999,sprite_slowdown_count:99999999999,", 0, 1},
    };
    for (const Case &c : cases)
    {
        readAndRun(c.text);
        EXPECT_EQ(p_object->getAnimation().getSprite(), qv::ResourceManager::getInstance().getSprite("ghost"));
        EXPECT_EQ(p_object->getAnimation().getIndex(), c.index) << c.text;
        EXPECT_EQ(p_object->getAnimation().getSlowdownCount(), c.slowdown_count) << c.text;
    }
}
