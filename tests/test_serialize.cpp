#include "ResourceManager.h"
#include "ViewObject.h"
#include "attribute_text.h"
#include "world_support.h"

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

using qv::Vector;
using qv::ViewObject;

namespace
{

// What a new object (id 1) writes with the default window: a shape's default size is twice the
// smaller side of a 12.8 x 32 pixel cell, in whole pixels.
const std::string OBJECT_TEXT =
    "id:1,is_active:true,is_visible:true,event_count:0,box-corner-x:-0.5,box-corner-y:-0.5,"
    "box-horizontal:0.99,box-vertical:0.99,pos-x:1,pos-y:1,type:(Undefined),sprite_name:,sprite_index:0,"
    "sprite_slowdown_count:0,altitude:2,solidness:0,no_soft:false,x_direction:0,y_direction:0,speed:0,"
    "x_acceleration:0,y_acceleration:0,shape:-1,size:24,color:7,opacity:255,follow_path:false,path:,"
    "path_index:0,avoid_collisions:false,";

// A text read into a fresh object whose flags were cleared, log lines that gives in this order,
// and the changes the object then writes.
struct ReadCase
{
    std::string text;
    std::vector<std::string> messages;
    std::string changes;
};

} // namespace

class SerializeTest : public WorldTest
{
protected:
    void loadSprite(const std::string &label)
    {
        const std::string file =
            writeFile("s.txt", "<HEADER>\nframes 2\nwidth 3\nheight 1\nslowdown 2\n</HEADER>\n<BODY>\n<o>\n"
                               "end\n>o<\nend\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n");
        ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, label), 0);
    }

    template <typename T> void expectReads(const std::vector<ReadCase> &cases)
    {
        for (const ReadCase &c : cases)
        {
            T *p_o = new T;
            p_o->serialize("");
            std::vector<std::string> messages = logMessages();
            p_o->deserialize(c.text);
            const std::vector<std::string> after = logMessages();
            messages.assign(after.begin() + static_cast<long>(messages.size()), after.end());
            EXPECT_TRUE(containsInOrder(messages, c.messages)) << c.text;
            EXPECT_EQ(p_o->serialize(""), c.changes) << c.text;
            delete p_o;
        }
    }

    // Reads `text` into a new T, which must write the same text again.
    template <typename T> T *expectReadsBack(const std::string &text)
    {
        T *p_copy = new T;
        p_copy->deserialize(text);
        EXPECT_EQ(p_copy->serialize("ALL"), text);
        return p_copy;
    }
};

TEST_F(SerializeTest, SelectorsPickTheirItemsInTheTablesOrder)
{
    const std::pair<std::string, std::string> cases[] = {
        {"ALL", OBJECT_TEXT},
        {"", "id:2" + OBJECT_TEXT.substr(4)},
        {"POSITION", ""},
        {"BOX,", "box-corner-x:-0.5,box-corner-y:-0.5,box-horizontal:0.99,box-vertical:0.99,"},
        {"SPEED,DIRECTION,", "x_direction:0,y_direction:0,speed:0,"},
        {"FOLLOW_PATH,", "follow_path:false,path:,path_index:0,"},
        {"ANIMATION,SOLIDNESS,", "sprite_name:,sprite_index:0,sprite_slowdown_count:0,solidness:0,"}};
    for (const auto &[selectors, text] : cases)
        EXPECT_EQ((new qv::Object)->serialize(selectors), text) << selectors;
    EXPECT_EQ(logCount("Object::serialize(): Warning! Attribute 'POSITION' missing trailing ','"), 1);
    EXPECT_FALSE(logHas("Object::serialize(): Warning! Attribute 'ALL' missing trailing ','"));

    qv::Object *p_o = new qv::Object;
    EXPECT_EQ(p_o->serialize("ID,POSITION,"), "id:8,pos-x:1,pos-y:1,");
    for (int attribute = 0; attribute < qv::ATTRIBUTE_COUNT; attribute++)
        EXPECT_EQ(p_o->isModified(static_cast<qv::Attribute>(attribute)),
                  attribute != qv::ID && attribute != qv::POSITION)
            << attribute;
    qv::Path path({Vector(1, 2), Vector(3, 4)});
    path.setIndex(1);
    p_o->setPath(path);
    EXPECT_EQ(p_o->serialize("PATH,"), "path:1 2|3 4|,path_index:1,");
}

TEST_F(SerializeTest, ChangesListHoldsExactlyTheChangedAttributes)
{
    using Change = std::function<void(qv::Object *)>;
    const std::pair<Change, std::string> cases[] = {
        {[](qv::Object *p) { p->setSpeed(2); }, "speed:2,"},
        {[](qv::Object *p) { p->setVelocity(Vector(3, 4)); }, "x_direction:0.6,y_direction:0.8,speed:5,"},
        {[](qv::Object *p) { p->setDirection(Vector(1, 0)); }, ""},
        {[](qv::Object *p) { p->setPosition(Vector(1, 1)); }, ""},
        {[](qv::Object *p) { p->setAltitude(7); }, ""},
        {[](qv::Object *p) { p->setType("Hero"); }, "type:Hero,"},
        {[](qv::Object *p) { p->setSolidness(qv::SPECTRAL); }, "solidness:2,"},
        {[](qv::Object *p) { p->setActive(false); }, "is_active:false,"},
        {[](qv::Object *p) { p->setVisible(false); }, "is_visible:false,"},
        {[](qv::Object *p) { p->setNoSoft(true); }, "no_soft:true,"},
        {[](qv::Object *p) { p->setAvoidCollisions(true); }, "avoid_collisions:true,"},
        {[](qv::Object *p) { p->setAcceleration(Vector(0, 0.1f)); }, "x_acceleration:0,y_acceleration:0.1,"},
        {[](qv::Object *p) { p->setBox(qv::Box(Vector(-1, -1), 2, 2)); },
         "box-corner-x:-1,box-corner-y:-1,box-horizontal:2,box-vertical:2,"},
        {[](qv::Object *p) { p->registerInterest("qv-step"); }, "event_count:1,event_name[0]:qv-step,"},
        {[](qv::Object *p) { p->setPath(qv::Path({Vector(-1.5f, 0.25f)})); }, "path:-1.5 0.25|,path_index:0,"},
        {[](qv::Object *p) { p->setFollowPath(true); }, "follow_path:true,"},
    };
    for (const auto &[change, text] : cases)
    {
        qv::Object *p_o = new qv::Object;
        p_o->serialize("");
        change(p_o);
        EXPECT_EQ(p_o->serialize(""), text);
        EXPECT_EQ(p_o->serialize(""), "") << text;
    }
}

TEST_F(SerializeTest, ReadTextIsAppliedKeyByKeyAndRefusedValuesChangeNothing)
{
    loadSprite("ghost");
    qv::Object *p_o = new qv::Object;
    const std::string head = "id:5,is_active:true,is_visible:false,event_count:1,event_name[0]:qv-step,"
                             "box-corner-x:-1.5,box-corner-y:-0.5,box-horizontal:3,box-vertical:1,pos-x:2.5,pos-y:3,"
                             "type:Hero,sprite_name:ghost,sprite_index:1,sprite_slowdown_count:2,altitude:3,"
                             "solidness:1,no_soft:true,";
    const std::string tail = "speed:0.25,x_acceleration:0.5,y_acceleration:-1,shape:2,size:10,color:3,opacity:9,"
                             "follow_path:true,path:1 2|3 4|,path_index:1,avoid_collisions:true,";
    p_o->deserialize(head + "x_direction:0.6,y_direction:0.8," + tail);
    // Following the path turns the object towards its current node, (3, 4) from (2.5, 3).
    EXPECT_EQ(p_o->serialize("ALL"), head + "x_direction:0.447214,y_direction:0.894427," + tail);
    EXPECT_EQ(p_o->getAnimation().getSprite(), qv::ResourceManager::getInstance().getSprite("ghost"));
    p_o->deserialize("sprite_name::no%0Asuch,");
    EXPECT_TRUE(logHas("Animation::Match(): Sprite ':no%0Asuch' not found"));
    EXPECT_EQ(p_o->serialize("ANIMATION,"), "sprite_name::no%0Asuch,sprite_index:1,sprite_slowdown_count:2,");

    qv::LogManager::getInstance().setLogLevel(20);
    expectReads<qv::Object>({
        {"altitude:9,pos-x:3,pos-y:3,",
         {"Object::setAltitude(): Altitude 9 not in range [0,4].  Ignored."},
         "pos-x:3,pos-y:3,"},
        {"solidness:3,pos-x:3,pos-y:3,",
         {"Object::setSolidness(): Solidness 3 not one of HARD, SOFT or SPECTRAL."},
         "pos-x:3,pos-y:3,"},
        {"id:2147483647,pos-x:3,pos-y:3,",
         {"Object::deserialize(): Warning! id 2147483647 leaves no id for the next object.  Ignored."},
         "pos-x:3,pos-y:3,"},
        {"altitude:2,solidness:0,pos-x:1,pos-y:1,", {"Object::deserialize(): pos-y is 1.00"}, ""},
        {"id:abc,", {"Object::deserialize(): id is 0"}, "id:0,"},
        {"shape:0,size:4,color:99,opacity:300,",
         {"Object::deserialize(): Color 99 not a colour.  Ignored.",
          "Object::deserialize(): Opacity 300 not in range [0,255].  Ignored."},
         "shape:0,size:4,color:7,opacity:255,"},
        {"shape:7,size:1,color:1,opacity:1,",
         {"Shape::setType(): Unknown shape type 7. Ignoring."},
         "shape:-1,size:1,color:1,opacity:1,"},
        {"shape:1,size:4,color:2,", {"Object::deserialize(): shape is '1'"}, ""},
        {"pos-x:3,box-corner-x:4,box-corner-y:4,box-horizontal:4,",
         {"Object::deserialize(): box not complete, so ignoring.", "Object::deserialize(): pos-x is 3.00",
          "Object::deserialize(): position not complete, so ignoring."},
         ""},
        {"is_active:TRUE,no_soft:True,is_visible:true,",
         {"Object::deserialize(): is_active is TRUE"},
         "is_active:false,no_soft:false,"},
        {"x_direction:0,y_direction:1,",
         {"Object::deserialize(): y_direction is 1.00"},
         "x_direction:0,y_direction:1,"},
        {"event_count:2000000000,event_name[0]:qv-step,event_name[100]:too_many,",
         {"Object::deserialize(): Warning! event_count 2000000000 above the maximum (100).  Reading 100 names."},
         "event_count:1,event_name[0]:qv-step,"},
        {"path:1 2|34|5 6|,path_index:1,",
         {"Object::deserialize(): malformed node 34|5 6|.", "\tNot added."},
         "path:1 2|,path_index:1,"},
        {"path:1 2|3 4|,path_index:3,",
         {"Object::deserialize(): path_index 3 not in range [0,2].  Ignored."},
         "path:1 2|3 4|,path_index:0,"},
        {"path: 1\t2 |\n-3   4|,type: He ro ,",
         {"Object::deserialize(): type is Hero"},
         "type:Hero,path:1 2|-3 4|,path_index:0,"},
        {"type:a:b,", {}, "type:a,"},
    });
}

TEST_F(SerializeTest, ReadIdMovesTheCounterOnlyForwardAndNeverPastTheTop)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("id:7,");
    EXPECT_EQ((new qv::Object)->getId(), 8);
    p_o->deserialize("id:3,");
    EXPECT_EQ((new qv::Object)->getId(), 9);
    p_o->deserialize("id:2147483646,");
    EXPECT_EQ((new qv::Object)->getId(), INT_MAX);
    EXPECT_EQ((new qv::Object)->getId(), INT_MAX);
}

TEST_F(SerializeTest, ReadEventsReplaceTheRegisteredOnes)
{
    qv::Object *p_o = new qv::Object;
    ASSERT_EQ(p_o->registerInterest("qv-step"), 0);
    ASSERT_EQ(p_o->registerInterest("hero_moved"), 0);
    p_o->deserialize("event_count:2,event_name[0]:food_eaten,event_name[1]:,");
    EXPECT_EQ(p_o->serialize("EVENTS,"), "event_count:1,event_name[0]:food_eaten,");
    EXPECT_EQ(qv::GameManager::getInstance().unregisterInterest(p_o, "qv-step"), -1);
}

TEST_F(SerializeTest, ViewObjectWritesAndReadsItsItemsAfterTheObjects)
{
    ViewObject *p_v = new ViewObject;
    EXPECT_EQ(p_v->serialize(""),
              "id:1,is_active:true,is_visible:true,event_count:1,event_name[0]:qv-view,box-corner-x:-0.5,"
              "box-corner-y:-0.5,box-horizontal:0.99,box-vertical:0.99,pos-x:40,pos-y:1,type:ViewObject,sprite_name:,"
              "sprite_index:0,sprite_slowdown_count:0,altitude:4,solidness:2,no_soft:false,x_direction:0,"
              "y_direction:0,speed:0,x_acceleration:0,y_acceleration:0,shape:-1,size:24,color:7,opacity:255,"
              "follow_path:false,path:,path_index:0,avoid_collisions:false,view_string:,view_value:0,"
              "view_border:true,view_color:7,view_location:1,view_draw_value:true,");
    EXPECT_FALSE(p_v->isModified());
    p_v->setValue(5);
    EXPECT_TRUE(p_v->isModified());
    // "DRAW_VALUE," holds "VALUE,".
    EXPECT_EQ(p_v->serialize("TYPE,DRAW_VALUE,LOCATION,"),
              "type:ViewObject,view_value:5,view_location:1,view_draw_value:true,");
    EXPECT_FALSE(p_v->isModified());
    p_v->setBorder(false);
    p_v->setDrawValue(false);
    EXPECT_EQ(p_v->serialize(""), "pos-x:40,pos-y:0,view_border:false,view_location:1,");

    qv::LogManager::getInstance().setLogLevel(10);
    expectReads<ViewObject>({
        {"solidness:2,view_string:Hunger,view_value:42,view_border:false,view_color:1,view_location:8,"
         "view_draw_value:false,",
         {"ViewObject::deserialize(): view_string is Hunger", "ViewObject::deserialize(): value is 42",
          "ViewObject::deserialize(): border is false", "ViewObject::deserialize(): color is 1",
          "ViewObject::deserialize(): location is 8", "ViewObject::deserialize(): draw_value is false"},
         "pos-x:66.6667,pos-y:23,view_string:Hunger,view_value:42,view_border:false,view_color:1,view_location:8,"},
        {"view_color:42,view_location:9,view_value:7,",
         {"ViewObject::deserialize(): Color 42 not a colour.  Ignored.",
          "ViewObject::setLocation(): Warning! Location out of range (9). Ignored."},
         "view_value:7,"},
        {"pos-x:5,pos-y:6,view_location:-1,", {}, "pos-x:5,pos-y:6,view_location:-1,"},
        {"view_string::Floor%003,", {}, "view_string:Floor,"},
    });
    EXPECT_FALSE(logHas("ViewObject::setLocation(): Warning! Location out of range (-1). Ignored."));
}

TEST_F(SerializeTest, RandomObjectsReadBackIntoTheSameText)
{
    loadSprite("ghost");
    loadSprite("big ghost: 2");
    std::mt19937 random(20261207);
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    // Quarters: fractional and negative, and exact in six digits, so a node read back is the node.
    const auto quarter = [&pick] { return static_cast<float>(pick(-400, 400)) * 0.25f; };
    const auto flag = [&pick] { return pick(0, 1) == 1; };
    // The last one, empty, is not an event name.
    const std::string texts[] = {"Hero", "Floor: 3", "x,solidness:0",    " padded ", "line\nbreak", "100%", "%2C",
                                 ":",    "a,b:c",    "\x01\x7f\xc3\xa9", ""};
    const std::string sprites[] = {"ghost", "big ghost: 2", "missing"};
    for (int round = 0; round < 60; round++)
    {
        ViewObject *p_v = round % 2 ? new ViewObject : nullptr;
        qv::Object *p_o = p_v ? p_v : new qv::Object;
        p_o->setType(texts[pick(0, 10)]);
        p_o->setPosition(Vector(quarter(), quarter()));
        p_o->setBox(qv::Box(Vector(quarter(), quarter()), quarter(), quarter()));
        p_o->setAltitude(pick(0, 4));
        p_o->setSolidness(static_cast<qv::Solidness>(pick(0, 2)));
        p_o->setNoSoft(flag());
        p_o->setAvoidCollisions(flag());
        p_o->setVelocity(Vector(quarter(), quarter()));
        p_o->setAcceleration(Vector(quarter(), quarter()));
        for (int i = pick(0, 3); i > 0; i--)
            p_o->registerInterest(texts[pick(0, 9)]);
        qv::Animation animation;
        animation.setSprite(qv::ResourceManager::getInstance().getSprite(sprites[pick(0, 2)]));
        animation.setName(animation.getSprite() ? animation.getName() : "missing: 3");
        animation.setIndex(pick(0, 5));
        animation.setSlowdownCount(pick(-1, 2));
        p_o->setAnimation(animation, false);
        qv::Shape shape;
        shape.setType(pick(-1, 2));
        shape.setSize(quarter());
        shape.setColor(static_cast<qv::Color>(pick(0, 8)));
        shape.setOpacity(static_cast<unsigned char>(pick(0, 255)));
        p_o->setShape(shape);
        if (p_v)
        {
            p_v->setViewString(texts[pick(0, 10)]);
            p_v->setValue(pick(-1000, 1000));
            p_v->setColor(static_cast<qv::Color>(pick(0, 8)));
            p_v->setBorder(flag());
            p_v->setDrawValue(flag());
            if (flag())
                p_v->setLocation(static_cast<qv::ViewObjectLocation>(pick(0, 8)));
        }
        // Read back, a path aims the object from its position, which a view's location gives in six
        // digits only.
        std::vector<Vector> nodes(static_cast<std::size_t>(p_v ? 0 : pick(0, 4)));
        for (Vector &node : nodes)
            node = Vector(quarter(), quarter());
        qv::Path path(nodes);
        // Up to one past the last node: a path walked to its end.
        for (int i = pick(0, static_cast<int>(nodes.size())); i > 0; i--)
            path.next();
        p_o->setPath(path);
        p_o->setFollowPath(flag());
        p_o->setVisible(flag());
        p_o->setActive(flag());
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string text = p_o->serialize("ALL");
        const qv::Object *p_copy = p_v ? expectReadsBack<ViewObject>(text) : expectReadsBack<qv::Object>(text);
        EXPECT_EQ(p_copy->getAnimation().getSprite(), p_o->getAnimation().getSprite());
    }
}

TEST_F(SerializeTest, MangledTextsLeaveObjectsThatStillWork)
{
    loadSprite("ghost");
    for (const char *index : {"2147483647", "99999999999"})
    {
        qv::Object *p_o = new qv::Object;
        p_o->deserialize(std::string("sprite_name:ghost,sprite_index:") + index + ",sprite_slowdown_count:" + index);
        world().update();
        world().draw();
        world().draw();
        // The first draw steps on to the first frame, the second counts.
        EXPECT_EQ(p_o->serialize("ANIMATION,"), "sprite_name:ghost,sprite_index:0,sprite_slowdown_count:1,");
        delete p_o;
    }

    // Whatever reading a mangled text leaves must write a text that reads back the same, and move
    // and draw.
    std::mt19937 random(5);
    const std::string pieces[] = {",", ":", "%", "|", " ", "-", "9", "e99", "2147483647", std::string(1, '\0')};
    const std::string original = (new ViewObject)->serialize("ALL") + "sprite_name:ghost,path:1 2|3 4|,path_index:1,";
    for (int round = 0; round < 200; round++)
    {
        std::string text = original;
        for (int i = 0; i < 3; i++)
            text.replace(random() % text.size(), random() % 3, pieces[random() % 10]);
        SCOPED_TRACE(text);
        qv::Object *p_o = new qv::Object;
        ViewObject *p_v = new ViewObject;
        p_o->deserialize(text);
        p_v->deserialize(text);
        delete expectReadsBack<qv::Object>(p_o->serialize("ALL"));
        delete expectReadsBack<ViewObject>(p_v->serialize("ALL"));
        world().update();
        world().draw();
        delete p_o;
        delete p_v;
    }
}

TEST(SerializeText, FreeTextIsEscapedOnlyWhenItHoldsSeparators)
{
    const std::pair<std::string, std::string> cases[] = {{"Hero", "Hero"},
                                                         {"a%2Cb", "a%2Cb"},
                                                         {"\x7f\xc3\xa9", "\x7f\xc3\xa9"},
                                                         {"Floor: 3", ":Floor%3A%203"},
                                                         {"x,solidness:0", ":x%2Csolidness%3A0"},
                                                         {"tab\there\nnext\r\v\f", ":tab%09here%0Anext%0D%0B%0C"},
                                                         {"50% off", ":50%25%20off"},
                                                         {std::string("nul\0byte", 8), ":nul%00byte"}};
    for (const auto &[text, escaped] : cases)
    {
        EXPECT_EQ(qv::escapeText(text), escaped);
        EXPECT_EQ(qv::unescapeText(escaped), text);
        // A reader that does not unescape still finds one item.
        EXPECT_EQ(qv::match("a:" + escaped + ",b:1,", "b"), "1") << escaped;
    }
    // Written by hand: blanks dropped, a second colon ends the value, stray percents stand for
    // themselves.
    const std::pair<std::string, std::string> by_hand[] = {{" He ro ", "Hero"}, {"a:b", "a"},      {": a%2", "a%2"},
                                                           {":%zz%4", "%zz%4"}, {":a%2cb", "a,b"}, {":a:%41", "a"}};
    for (const auto &[text, read] : by_hand)
        EXPECT_EQ(qv::unescapeText(text), read) << text;
}
