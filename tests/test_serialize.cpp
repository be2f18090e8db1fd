#include "Animation.h"
#include "GameManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "world_support.h"

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

using qv::Box;
using qv::Vector;

namespace
{

// What a new object (id 1) writes for "ALL" with the default window: a shape's default size is
// twice the smaller side of a 12.8 x 32 pixel cell, in whole pixels.
const std::string NEW_OBJECT_TEXT =
    "id:1,is_active:true,is_visible:true,event_count:0,box-corner-x:-0.5,box-corner-y:-0.5,"
    "box-horizontal:0.99,box-vertical:0.99,pos-x:1,pos-y:1,type:(Undefined),sprite_name:,sprite_index:0,"
    "sprite_slowdown_count:0,altitude:2,solidness:0,no_soft:false,x_direction:0,y_direction:0,speed:0,"
    "x_acceleration:0,y_acceleration:0,shape:-1,size:24,color:7,opacity:255,follow_path:false,path:,"
    "path_index:0,avoid_collisions:false,";

qv::Path pathThrough(const std::vector<Vector> &nodes, int index)
{
    qv::Path path(nodes);
    path.setIndex(index);
    return path;
}

} // namespace

class SerializeTest : public WorldTest
{
protected:
    // Loads a two-frame sprite under `label`.
    void loadSprite(const std::string &label, int width)
    {
        const std::string row(static_cast<std::size_t>(width), 'o');
        const std::string file =
            writeFile("sprite.txt", "<HEADER>\nframes 2\nwidth " + std::to_string(width) +
                                        "\nheight 1\nslowdown 3\n</HEADER>\n<BODY>\n" + row + "\nend\n" + row +
                                        "\nend\n</BODY>\n<FOOTER>\nversion 1\n"
                                        "</FOOTER>\n");
        ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, label), 0);
    }

    // Reads `text` into a new object and returns all that the new object writes.
    static std::string readBack(const std::string &text)
    {
        qv::Object *p_copy = new qv::Object;
        p_copy->deserialize(text);
        return p_copy->serialize("ALL");
    }
};

TEST_F(SerializeTest, NewObjectWritesEveryAttributeInTheTablesOrder)
{
    qv::Object *p_o = new qv::Object;
    EXPECT_EQ(p_o->serialize("ALL"), NEW_OBJECT_TEXT);
    EXPECT_FALSE(logHas("Object::serialize(): Warning! Attribute 'ALL' missing trailing ','"));
    EXPECT_FALSE(p_o->isModified());
    // Everything has changed for an object never written, and nothing right after.
    qv::Object *p_second = new qv::Object;
    EXPECT_EQ(p_second->serialize(""), "id:2" + NEW_OBJECT_TEXT.substr(4));
    EXPECT_EQ(p_second->serialize(""), "");
}

TEST_F(SerializeTest, SelectorsWriteTheirItemsAndClearOnlyTheirFlags)
{
    qv::Object *p_o = new qv::Object;
    EXPECT_EQ(p_o->serialize("ID,POSITION,"), "id:1,pos-x:1,pos-y:1,");
    for (int attribute = 0; attribute < qv::ATTRIBUTE_COUNT; attribute++)
        EXPECT_EQ(p_o->isModified(static_cast<qv::Attribute>(attribute)),
                  attribute != qv::ID && attribute != qv::POSITION)
            << attribute;
    EXPECT_EQ(p_o->serialize("BOX,"), "box-corner-x:-0.5,box-corner-y:-0.5,box-horizontal:0.99,box-vertical:0.99,");
}

TEST_F(SerializeTest, ListWithoutTrailingCommaIsWarnedAbout)
{
    qv::Object *p_o = new qv::Object;
    EXPECT_EQ(p_o->serialize("POSITION"), "");
    EXPECT_TRUE(logHas("Object::serialize(): Warning! Attribute 'POSITION' missing trailing ','"));
    EXPECT_TRUE(p_o->isModified(qv::POSITION));
}

TEST_F(SerializeTest, SelectorsMatchAsSubstrings)
{
    qv::Object *p_o = new qv::Object;
    p_o->setPath(pathThrough({Vector(1, 2), Vector(3, 4)}, 1));
    // "FOLLOW_PATH," holds "PATH,", and the path goes first in the table's order.
    EXPECT_EQ(p_o->serialize("FOLLOW_PATH,"), "follow_path:false,path:1 2|3 4|,path_index:1,");
    EXPECT_EQ(p_o->serialize("SPEED,DIRECTION,"), "x_direction:0,y_direction:0,speed:0,");
    p_o->setPath(qv::Path());
    EXPECT_EQ(p_o->serialize("PATH,"), "path:,path_index:0,");
}

TEST_F(SerializeTest, ChangeOnlyTextHoldsExactlyTheChangedAttributes)
{
    loadSprite("ghost", 3);
    struct Case
    {
        const char *what;
        std::function<void(qv::Object *)> change;
        const char *text;
    };
    const Case cases[] = {
        {"speed", [](qv::Object *p) { p->setSpeed(2); }, "speed:2,"},
        {"velocity", [](qv::Object *p) { p->setVelocity(Vector(3, 4)); }, "x_direction:0.6,y_direction:0.8,speed:5,"},
        {"direction alone", [](qv::Object *p) { p->setDirection(Vector(1, 0)); }, ""},
        {"position", [](qv::Object *p) { p->setPosition(Vector(7.5f, -2)); }, "pos-x:7.5,pos-y:-2,"},
        {"same position", [](qv::Object *p) { p->setPosition(Vector(1, 1)); }, ""},
        {"type", [](qv::Object *p) { p->setType("Hero"); }, "type:Hero,"},
        {"altitude", [](qv::Object *p) { p->setAltitude(3); }, "altitude:3,"},
        {"refused altitude", [](qv::Object *p) { p->setAltitude(7); }, ""},
        {"solidness", [](qv::Object *p) { p->setSolidness(qv::SPECTRAL); }, "solidness:2,"},
        {"active", [](qv::Object *p) { p->setActive(false); }, "is_active:false,"},
        {"visible", [](qv::Object *p) { p->setVisible(false); }, "is_visible:false,"},
        {"no soft", [](qv::Object *p) { p->setNoSoft(true); }, "no_soft:true,"},
        {"avoid", [](qv::Object *p) { p->setAvoidCollisions(true); }, "avoid_collisions:true,"},
        {"acceleration", [](qv::Object *p) { p->setAcceleration(Vector(0, 0.1f)); },
         "x_acceleration:0,y_acceleration:0.1,"},
        {"box", [](qv::Object *p) { p->setBox(Box(Vector(-1, -1), 2, 2)); },
         "box-corner-x:-1,box-corner-y:-1,box-horizontal:2,box-vertical:2,"},
        {"events", [](qv::Object *p) { p->registerInterest("qv-step"); }, "event_count:1,event_name[0]:qv-step,"},
        {"shape",
         [](qv::Object *p)
         {
             qv::Shape shape;
             shape.setType(qv::SQUARE);
             shape.setSize(12);
             shape.setColor(qv::RED);
             shape.setOpacity(128);
             p->setShape(shape);
         },
         "shape:1,size:12,color:1,opacity:128,"},
        {"path", [](qv::Object *p) { p->setPath(pathThrough({Vector(-1.5f, 0.25f)}, 0)); },
         "path:-1.5 0.25|,path_index:0,"},
        {"follow path", [](qv::Object *p) { p->setFollowPath(true); }, "follow_path:true,"},
        {"animation",
         [](qv::Object *p)
         {
             qv::Animation animation;
             animation.setSprite(qv::ResourceManager::getInstance().getSprite("ghost"));
             p->setAnimation(animation, false);
         },
         "sprite_name:ghost,sprite_index:0,sprite_slowdown_count:0,"},
    };
    for (const Case &c : cases)
    {
        qv::Object *p_o = new qv::Object;
        p_o->serialize("");
        c.change(p_o);
        EXPECT_EQ(p_o->serialize(""), c.text) << c.what;
        EXPECT_EQ(p_o->serialize(""), "") << c.what;
    }
}

TEST_F(SerializeTest, SeveralChangesComeOutInTheTablesOrder)
{
    qv::Object *p_o = new qv::Object;
    p_o->serialize("");
    p_o->setAvoidCollisions(true);
    p_o->setType("Monster");
    p_o->setSpeed(0.5f);
    p_o->setPosition(Vector(4, 5));
    EXPECT_EQ(p_o->serialize(""), "pos-x:4,pos-y:5,type:Monster,speed:0.5,avoid_collisions:true,");
}

TEST_F(SerializeTest, AllWritesTheAnimationEveryTime)
{
    loadSprite("ghost", 3);
    qv::Object *p_o = new qv::Object;
    ASSERT_EQ(p_o->setSprite("ghost"), 0);
    const std::string first = p_o->serialize("ALL");
    EXPECT_NE(first.find("sprite_name:ghost,sprite_index:0,sprite_slowdown_count:0,"), std::string::npos);
    EXPECT_EQ(p_o->serialize("ALL"), first);
    EXPECT_EQ(p_o->serialize("ANIMATION,"), "sprite_name:ghost,sprite_index:0,sprite_slowdown_count:0,");
}

TEST_F(SerializeTest, ChangeOnlyAnimationWaitsForTheAnimationsOwnFlag)
{
    qv::Object *p_o = new qv::Object;
    p_o->serialize("");
    p_o->setAnimation(p_o->getAnimation(), false);
    EXPECT_EQ(p_o->serialize(""), "");
    EXPECT_FALSE(p_o->isModified(qv::ANIMATION));
}

TEST_F(SerializeTest, DeserializeTracesEveryKeyAtLevel20)
{
    qv::LogManager::getInstance().setLogLevel(20);
    loadSprite("ghost", 3);
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("id:5,is_active:true,is_visible:false,event_count:1,event_name[0]:qv-step,box-corner-x:-1.5,"
                     "box-corner-y:-0.5,box-horizontal:3,box-vertical:1,pos-x:2.5,pos-y:3,type:Hero,"
                     "sprite_name:ghost,sprite_index:1,sprite_slowdown_count:2,altitude:3,solidness:1,no_soft:true,"
                     "x_direction:0.6,y_direction:0.8,speed:0.25,x_acceleration:0.5,y_acceleration:-1,shape:2,"
                     "size:10,color:3,opacity:9,path:1 2|3 4|,path_index:1,follow_path:true,avoid_collisions:true,");
    EXPECT_TRUE(containsInOrder(logMessages(), {
                                                   "Object::deserialize(): id is 5",
                                                   "Object::deserialize(): is_active is true",
                                                   "Object::deserialize(): is_visible is false",
                                                   "Object::deserialize(): event_count is 1",
                                                   "Object::deserialize(): event_name[0] is 'qv-step'",
                                                   "Object::deserialize(): box-corner-x is -1.50",
                                                   "Object::deserialize(): box-corner-y is -0.50",
                                                   "Object::deserialize(): box-horizontal is 3.00",
                                                   "Object::deserialize(): box-vertical is 1.00",
                                                   "Object::deserialize(): pos-x is 2.50",
                                                   "Object::deserialize(): pos-y is 3.00",
                                                   "Object::deserialize(): type is Hero",
                                                   "Animation::deserialize(): sprite_name is 'ghost'",
                                                   "Animation::deserialize(): sprite_index is 1",
                                                   "Animation::deserialize(): sprite_slowdown_count is 2",
                                                   "Object::deserialize(): altitude is 3",
                                                   "Object::deserialize(): solidness is 1",
                                                   "Object::deserialize(): no_soft is true",
                                                   "Object::deserialize(): x_direction is 0.60",
                                                   "Object::deserialize(): y_direction is 0.80",
                                                   "Object::deserialize(): speed is 0.25",
                                                   "Object::deserialize(): x_acceleration is 0.50",
                                                   "Object::deserialize(): y_acceleration is -1.00",
                                                   "Object::deserialize(): shape is '2'",
                                                   "Object::deserialize(): size is '10'",
                                                   "Object::deserialize(): color is '3'",
                                                   "Object::deserialize(): opacity is '9'",
                                                   "Object::deserialize(): path_index is 1",
                                                   "Object::deserialize(): follow_path is true",
                                                   "Object::deserialize(): avoid_collisions is true",
                                               }));
    EXPECT_FALSE(logHas("Object::deserialize(): box not complete, so ignoring."));
    EXPECT_FALSE(logHas("Object::deserialize(): position not complete, so ignoring."));

    EXPECT_EQ(p_o->getId(), 5);
    EXPECT_FALSE(p_o->isVisible());
    EXPECT_EQ(p_o->getBox(), Box(Vector(-1.5f, -0.5f), 3, 1));
    EXPECT_EQ(p_o->getPosition(), Vector(2.5f, 3));
    EXPECT_EQ(p_o->getType(), "Hero");
    EXPECT_EQ(p_o->getAnimation().getName(), "ghost");
    EXPECT_EQ(p_o->getAnimation().getIndex(), 1);
    EXPECT_EQ(p_o->getAnimation().getSlowdownCount(), 2);
    EXPECT_EQ(p_o->getAltitude(), 3);
    EXPECT_EQ(p_o->getSolidness(), qv::SOFT);
    EXPECT_TRUE(p_o->getNoSoft());
    EXPECT_EQ(p_o->getSpeed(), 0.25f);
    EXPECT_EQ(p_o->getAcceleration(), Vector(0.5f, -1));
    EXPECT_EQ(p_o->getShape().getType(), qv::TRIANGLE);
    EXPECT_EQ(p_o->getShape().getColor(), qv::YELLOW);
    EXPECT_EQ(p_o->getShape().getOpacity(), 9);
    EXPECT_EQ(p_o->getPath().getNodes(), (std::vector<Vector>{Vector(1, 2), Vector(3, 4)}));
    EXPECT_EQ(p_o->getPath().getIndex(), 1);
    EXPECT_TRUE(p_o->getFollowPath());
    // Following the path turns the object towards its current node, (3, 4) from (2.5, 3).
    EXPECT_NEAR(p_o->getDirection().getX(), 0.4472f, 1e-4);
    EXPECT_NEAR(p_o->getDirection().getY(), 0.8944f, 1e-4);
    EXPECT_TRUE(p_o->getAvoidCollisions());
}

TEST_F(SerializeTest, DeserializeSetsTheFlagsOfWhatItChanges)
{
    qv::Object *p_o = new qv::Object;
    p_o->serialize("");
    p_o->deserialize("pos-x:3,pos-y:4,solidness:1,altitude:2,");
    EXPECT_EQ(p_o->serialize(""), "pos-x:3,pos-y:4,solidness:1,");
}

TEST_F(SerializeTest, ReadIdMovesTheCounterOnlyForward)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("id:7,");
    EXPECT_EQ(p_o->getId(), 7);
    EXPECT_TRUE(p_o->isModified(qv::ID));
    EXPECT_EQ((new qv::Object)->getId(), 8);
    p_o->deserialize("id:3,");
    EXPECT_EQ(p_o->getId(), 3);
    EXPECT_EQ((new qv::Object)->getId(), 9);
    p_o->deserialize("id:abc,");
    EXPECT_EQ(p_o->getId(), 0);
}

TEST_F(SerializeTest, IncompleteBoxOrPositionIsIgnored)
{
    qv::LogManager::getInstance().setLogLevel(20);
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("pos-x:3,box-corner-x:4,box-corner-y:4,box-horizontal:4,");
    EXPECT_EQ(p_o->getPosition(), Vector(1, 1));
    EXPECT_EQ(p_o->getBox(), Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    EXPECT_EQ(logCount("Object::deserialize(): position not complete, so ignoring."), 1);
    EXPECT_EQ(logCount("Object::deserialize(): box not complete, so ignoring."), 1);
    EXPECT_TRUE(logHas("Object::deserialize(): pos-x is 3.00"));
}

TEST_F(SerializeTest, BoxReadsBackWithItsFractions)
{
    qv::Object *p_o = new qv::Object;
    p_o->setBox(Box(Vector(-2.5f, -0.75f), 5, 1.5f));
    qv::Object *p_copy = new qv::Object;
    p_copy->deserialize(p_o->serialize("BOX,"));
    EXPECT_EQ(p_copy->getBox(), Box(Vector(-2.5f, -0.75f), 5, 1.5f));
    EXPECT_EQ(occurrences(world().getSceneGraph().solidObjects(), p_copy), 1);
}

TEST_F(SerializeTest, RefusedValuesLeaveTheOthersApplied)
{
    struct Case
    {
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {"altitude:9,pos-x:3,pos-y:3,", "Object::setAltitude(): Altitude 9 not in range [0,4].  Ignored."},
        {"solidness:3,pos-x:3,pos-y:3,", "Object::setSolidness(): Solidness 3 not one of HARD, SOFT or SPECTRAL."},
        {"solidness:-1,pos-x:3,pos-y:3,", "Object::setSolidness(): Solidness -1 not one of HARD, SOFT or SPECTRAL."},
        {"pos-x:3,pos-y:3,shape:7,size:1,color:1,opacity:1,", "Shape::setType(): Unknown shape type 7. Ignoring."},
        {"pos-x:3,pos-y:3,shape:0,size:1,color:99,opacity:1,",
         "Object::deserialize(): Color 99 not a colour.  Ignored."},
        {"pos-x:3,pos-y:3,shape:0,size:1,color:1,opacity:256,",
         "Object::deserialize(): Opacity 256 not in range [0,255].  Ignored."},
        {"pos-x:3,pos-y:3,id:2147483647,", "Object::deserialize(): Warning! id 2147483647 leaves no id for the next "
                                           "object.  Ignored."},
    };
    for (const Case &c : cases)
    {
        qv::Object *p_o = new qv::Object;
        const int id = p_o->getId();
        p_o->deserialize(c.text);
        EXPECT_TRUE(logHas(c.message)) << c.text;
        EXPECT_EQ(p_o->getPosition(), Vector(3, 3)) << c.text;
        EXPECT_EQ(p_o->getAltitude(), 2) << c.text;
        EXPECT_EQ(p_o->getSolidness(), qv::HARD) << c.text;
        EXPECT_EQ(p_o->getId(), id) << c.text;
    }
    qv::Object *p_shaped = new qv::Object;
    p_shaped->deserialize("shape:0,size:4,color:99,opacity:300,");
    EXPECT_EQ(p_shaped->getShape().getType(), qv::CIRCLE);
    EXPECT_EQ(p_shaped->getShape().getSize(), 4);
    EXPECT_EQ(p_shaped->getShape().getColor(), qv::WHITE);
    EXPECT_EQ(p_shaped->getShape().getOpacity(), 255);
}

TEST_F(SerializeTest, ShapeNeedsAllFourKeys)
{
    qv::Object *p_o = new qv::Object;
    p_o->serialize("");
    p_o->deserialize("shape:1,size:4,color:2,");
    EXPECT_EQ(p_o->getShape().getType(), qv::UNDEFINED_SHAPE);
    EXPECT_FALSE(p_o->isModified(qv::SHAPE));
}

TEST_F(SerializeTest, OnlyLowerCaseTrueIsTrue)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("is_active:TRUE,no_soft:True,avoid_collisions:1,is_visible:true,");
    EXPECT_FALSE(p_o->isActive());
    EXPECT_FALSE(p_o->getNoSoft());
    EXPECT_FALSE(p_o->getAvoidCollisions());
    EXPECT_TRUE(p_o->isVisible());
    EXPECT_EQ(occurrences(world().getSceneGraph().inactiveObjects(), p_o), 1);
}

TEST_F(SerializeTest, DirectionReadsBackAsWritten)
{
    qv::Object *p_o = new qv::Object;
    p_o->setDirection(Vector(3, 4));
    p_o->setSpeed(2);
    qv::Object *p_copy = new qv::Object;
    p_copy->deserialize(p_o->serialize("DIRECTION,SPEED,"));
    EXPECT_EQ(p_copy->getVelocity(), p_o->getVelocity());
    // A direction alone leaves the speed alone.
    p_copy->deserialize("x_direction:0,y_direction:1,");
    EXPECT_EQ(p_copy->getSpeed(), 2);
    EXPECT_EQ(p_copy->getDirection(), Vector(0, 1));
}

TEST_F(SerializeTest, EventsAreReplacedByTheReadOnes)
{
    qv::Object *p_o = new qv::Object;
    ASSERT_EQ(p_o->registerInterest("qv-step"), 0);
    ASSERT_EQ(p_o->registerInterest("hero_moved"), 0);
    p_o->deserialize("event_count:2,event_name[0]:food_eaten,event_name[1]:,");
    EXPECT_EQ(p_o->serialize("EVENTS,"), "event_count:1,event_name[0]:food_eaten,");
    EXPECT_EQ(qv::GameManager::getInstance().unregisterInterest(p_o, "qv-step"), -1);
}

TEST_F(SerializeTest, HostileEventCountIsHeldToTheMaximum)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("event_count:2000000000,event_name[0]:qv-step,event_name[100]:too_many,");
    EXPECT_TRUE(logHas("Object::deserialize(): Warning! event_count 2000000000 above the maximum (100).  Reading "
                       "100 names."));
    EXPECT_EQ(p_o->serialize("EVENTS,"), "event_count:1,event_name[0]:qv-step,");
}

TEST_F(SerializeTest, IdsNearTheTopNeverOverflowTheCounter)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("id:2147483646,");
    EXPECT_EQ(p_o->getId(), INT_MAX - 1);
    EXPECT_EQ((new qv::Object)->getId(), INT_MAX);
    EXPECT_EQ((new qv::Object)->getId(), INT_MAX);
    p_o->deserialize("id:2147483647,");
    EXPECT_EQ(p_o->getId(), INT_MAX - 1);
}

TEST_F(SerializeTest, RandomObjectsReadBackIntoTheSameText)
{
    loadSprite("ghost", 3);
    loadSprite("big ghost: 2", 4);
    std::mt19937 random(20261207);
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    // Quarters: fractional and negative, and exact in six digits, so a node read back is the node.
    const auto quarter = [&pick] { return static_cast<float>(pick(-400, 400)) * 0.25f; };
    const auto flag = [&pick] { return pick(0, 1) == 1; };
    const std::vector<std::string> types = {"Hero",     "Floor: 3",  "a,b",         "x,solidness:0",
                                            " padded ", "tab\there", "line\nbreak", "100%",
                                            "%2C",      "",          ":",           "\x01\x7f\xc3\xa9"};
    const std::vector<std::string> names = {"qv-step", "hero_moved", "door:open", "two words", "qv-path", "a,b:c"};
    const std::vector<std::string> sprites = {"ghost", "big ghost: 2", "missing"};
    for (int round = 0; round < 60; round++)
    {
        qv::Object *p_o = new qv::Object;
        p_o->setType(types[static_cast<std::size_t>(pick(0, static_cast<int>(types.size()) - 1))]);
        p_o->setPosition(Vector(quarter(), quarter()));
        p_o->setBox(Box(Vector(quarter(), quarter()), quarter(), quarter()));
        p_o->setAltitude(pick(0, 4));
        p_o->setSolidness(static_cast<qv::Solidness>(pick(0, 2)));
        p_o->setNoSoft(flag());
        p_o->setAvoidCollisions(flag());
        p_o->setVelocity(Vector(quarter(), quarter()));
        if (flag())
            p_o->setSpeed(quarter());
        p_o->setAcceleration(Vector(quarter(), quarter()));
        for (const std::string &name : names)
            if (flag())
                p_o->registerInterest(name);
        const std::string sprite = sprites[static_cast<std::size_t>(pick(0, 2))];
        if (p_o->setSprite(sprite) == -1)
        {
            qv::Animation animation;
            animation.setName(sprite);
            animation.setIndex(pick(0, 5));
            p_o->setAnimation(animation, false);
        }
        qv::Animation animation = p_o->getAnimation();
        animation.setSlowdownCount(pick(-1, 2));
        p_o->setAnimation(animation, false);
        if (flag())
        {
            qv::Shape shape;
            shape.setType(pick(-1, 2));
            shape.setSize(quarter());
            shape.setColor(static_cast<qv::Color>(pick(0, 8)));
            shape.setOpacity(static_cast<unsigned char>(pick(0, 255)));
            p_o->setShape(shape);
        }
        std::vector<Vector> nodes;
        for (int i = pick(0, 5); i > 0; i--)
            nodes.push_back(Vector(quarter(), quarter()));
        qv::Path path(nodes);
        if (!nodes.empty())
        {
            path.setIndex(pick(0, static_cast<int>(nodes.size()) - 1));
            if (flag())
                path.next();
        }
        p_o->setPath(path);
        p_o->setFollowPath(flag());
        p_o->setVisible(flag());
        p_o->setActive(flag());

        const std::string text = p_o->serialize("ALL");
        EXPECT_EQ(readBack(text), text) << "round " << round;
    }
}
