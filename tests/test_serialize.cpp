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

} // namespace

class SerializeTest : public WorldTest
{
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        const std::string file =
            writeFile("s.txt", "<HEADER>\nframes 2\nwidth 3\nheight 1\nslowdown 2\n</HEADER>\n"
                               "<BODY>\n<o>\nend\n>o<\nend\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n");
        ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, "big ghost: 2"), 0);
    }

    // Reads each text into a fresh T whose flags were cleared, which then writes the changes given.
    template <typename T> void expectReads(const std::vector<std::pair<std::string, std::string>> &cases)
    {
        for (const auto &[text, changes] : cases)
        {
            T o;
            o.serialize("");
            o.deserialize(text);
            EXPECT_EQ(o.serialize(""), changes) << text;
        }
    }

    // Reads what `o` writes into a new T, which must write the same again.
    template <typename T> void expectReadsBack(T &o)
    {
        const std::string text = o.serialize("ALL");
        T copy;
        copy.deserialize(text);
        EXPECT_EQ(copy.serialize("ALL"), text);
        EXPECT_EQ(copy.getAnimation().getSprite(), o.getAnimation().getSprite());
    }
};

TEST_F(SerializeTest, SelectorsPickTheirItemsInTheTablesOrderAndChangesOnlyTheChangedOnes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"ALL", OBJECT_TEXT},
        {"", "id:2" + OBJECT_TEXT.substr(4)},
        {"POSITION", ""},
        {"BOX,", "box-corner-x:-0.5,box-corner-y:-0.5,box-horizontal:0.99,box-vertical:0.99,"},
        {"SPEED,DIRECTION,", "x_direction:0,y_direction:0,speed:0,"},
        {"FOLLOW_PATH,", "follow_path:false,path:,path_index:0,"}};
    for (const auto &[selectors, text] : cases)
        EXPECT_EQ((new qv::Object)->serialize(selectors), text) << selectors;
    EXPECT_EQ(logCount("Object::serialize(): Warning! Attribute 'POSITION' missing trailing ','"), 1);
    EXPECT_FALSE(logHas("Object::serialize(): Warning! Attribute 'ALL' missing trailing ','"));

    qv::Object *p_o = new qv::Object;
    EXPECT_EQ(p_o->serialize("ID,POSITION,"), "id:7,pos-x:1,pos-y:1,");
    for (int attribute = 0; attribute < qv::ATTRIBUTE_COUNT; attribute++)
        EXPECT_EQ(p_o->isModified(static_cast<qv::Attribute>(attribute)),
                  attribute != qv::ID && attribute != qv::POSITION)
            << attribute;

    const std::pair<std::function<void(qv::Object *)>, std::string> changes[] = {
        {[](qv::Object *p) { p->setSpeed(2); }, "speed:2,"},
        {[](qv::Object *p) { p->setVelocity(Vector(3, 4)); }, "x_direction:0.6,y_direction:0.8,speed:5,"},
        {[](qv::Object *p) { p->setDirection(Vector(1, 0)); }, ""},
        {[](qv::Object *p) { p->setPosition(Vector(1, 1)); }, ""},
        {[](qv::Object *p) { p->setType("Hero"); }, "type:Hero,"},
        {[](qv::Object *p) { p->setSolidness(qv::SPECTRAL); }, "solidness:2,"},
        {[](qv::Object *p) { p->setActive(false); }, "is_active:false,"},
        {[](qv::Object *p) { p->setAcceleration(Vector(0, 0.1f)); }, "x_acceleration:0,y_acceleration:0.1,"},
        {[](qv::Object *p) { p->registerInterest("qv-step"); }, "event_count:1,event_name[0]:qv-step,"},
        {[](qv::Object *p) { p->setPath(qv::Path({Vector(-1.5f, 0.25f)})); }, "path:-1.5 0.25|,path_index:0,"},
        {[](qv::Object *p) { p->setFollowPath(true); }, "follow_path:true,"},
    };
    for (const auto &[change, text] : changes)
    {
        qv::Object o;
        o.serialize("");
        change(&o);
        EXPECT_EQ(o.serialize(""), text);
        EXPECT_EQ(o.serialize(""), "") << text;
    }
}

TEST_F(SerializeTest, ReadTextIsAppliedKeyByKeyAndRefusedValuesChangeNothing)
{
    qv::Object *p_o = new qv::Object;
    ASSERT_EQ(p_o->registerInterest("hero_moved"), 0);
    const std::string head =
        "id:5,is_active:true,is_visible:false,event_count:2,event_name[0]::a%3Ab%2C%20c,event_name[1]:,"
        "box-corner-x:-1.5,box-corner-y:-0.5,box-horizontal:3,box-vertical:1,pos-x:2.5,pos-y:3,"
        "type::x%2Csolidness%3A0,sprite_name::big%20ghost%3A%202,sprite_index:1,sprite_slowdown_count:2,"
        "altitude:3,solidness:1,no_soft:true,";
    const std::string tail = "speed:0.25,x_acceleration:0.5,y_acceleration:-1,shape:2,size:10,color:3,opacity:9,"
                             "follow_path:true,path:1 2|3 4|,path_index:1,avoid_collisions:true,";
    p_o->deserialize(head + "x_direction:0.6,y_direction:0.8," + tail);
    // Only the named event stays registered; following the path turns the object towards its
    // current node, (3, 4) from (2.5, 3).
    EXPECT_EQ(qv::GameManager::getInstance().unregisterInterest(p_o, "hero_moved"), -1);
    EXPECT_EQ(p_o->serialize("ALL"), "id:5,is_active:true,is_visible:false,event_count:1,event_name[0]::a%3Ab%2C%20c," +
                                         head.substr(head.find("box")) + "x_direction:0.447214,y_direction:0.894427," +
                                         tail);
    EXPECT_EQ((new qv::Object)->getId(), 6);
    p_o->deserialize("id:3,sprite_name::no%0Asuch,");
    EXPECT_EQ((new qv::Object)->getId(), 7);
    EXPECT_TRUE(logHas("Animation::Match(): Sprite ':no%0Asuch' not found"));
    EXPECT_EQ(p_o->serialize("ANIMATION,"), "sprite_name::no%0Asuch,sprite_index:1,sprite_slowdown_count:2,");

    qv::LogManager::getInstance().setLogLevel(20);
    expectReads<qv::Object>({{"altitude:9,pos-x:3,pos-y:3,", "pos-x:3,pos-y:3,"},
                             {"solidness:3,altitude:2,", ""},
                             {"id:2147483647,", ""},
                             {"shape:0,size:4,color:99,opacity:300,", "shape:0,size:4,color:7,opacity:255,"},
                             {"shape:7,size:1,color:1,opacity:1,", "shape:-1,size:1,color:1,opacity:1,"},
                             {"shape:1,size:4,color:2,", ""},
                             {"pos-x:3,box-corner-x:4,box-corner-y:4,box-horizontal:4,", ""},
                             {"is_active:TRUE,no_soft:True,", "is_active:false,no_soft:false,"},
                             {"event_count:2000000000,event_name[0]:qv-step,event_name[100]:too_many,",
                              "event_count:1,event_name[0]:qv-step,"},
                             {"path:1 2|34|5 6|,path_index:1,", "path:1 2|,path_index:1,"},
                             {"path:1 2|3 4|,path_index:2,", "path:1 2|3 4|,path_index:2,"},
                             {"path:1 2|3 4|,path_index:3,", "path:1 2|3 4|,path_index:0,"},
                             {"path: 1\t2 |\n-3   4|,type: He ro :x,", "type:Hero,path:1 2|-3 4|,path_index:0,"}});
    EXPECT_TRUE(containsInOrder(
        logMessages(),
        {"Object::setAltitude(): Altitude 9 not in range [0,4].  Ignored.",
         "Object::setSolidness(): Solidness 3 not one of HARD, SOFT or SPECTRAL.",
         "Object::deserialize(): Warning! id 2147483647 leaves no id for the next object.  Ignored.",
         "Object::deserialize(): Color 99 not a colour.  Ignored.",
         "Object::deserialize(): Opacity 300 not in range [0,255].  Ignored.",
         "Shape::setType(): Unknown shape type 7. Ignoring.", "Object::deserialize(): box not complete, so ignoring.",
         "Object::deserialize(): position not complete, so ignoring.",
         "Object::deserialize(): Warning! event_count 2000000000 above the maximum (100).  Reading 100 names.",
         "Object::deserialize(): malformed node 34|5 6|.", "\tNot added.",
         "Object::deserialize(): path_index 3 not in range [0,2].  Ignored."}));
    p_o->deserialize("id:2147483646,");
    EXPECT_EQ((new qv::Object)->getId(), INT_MAX);
    EXPECT_EQ((new qv::Object)->getId(), INT_MAX);
}

TEST_F(SerializeTest, ViewObjectWritesAndReadsItsItemsAfterTheObjects)
{
    ViewObject *p_v = new ViewObject;
    // The object's items, then the six of the view.
    const std::string text = p_v->serialize("");
    EXPECT_EQ(text.substr(0, 75), "id:1,is_active:true,is_visible:true,event_count:1,event_name[0]:qv-view,box");
    EXPECT_EQ(text.substr(text.find("avoid")), "avoid_collisions:false,view_string:,view_value:0,view_border:true,"
                                               "view_color:7,view_location:1,view_draw_value:true,");
    p_v->setValue(5);
    // "DRAW_VALUE," holds "VALUE,".
    EXPECT_EQ(p_v->serialize("TYPE,DRAW_VALUE,LOCATION,"),
              "type:ViewObject,view_value:5,view_location:1,view_draw_value:true,");
    EXPECT_FALSE(p_v->isModified());
    p_v->setBorder(false);
    p_v->setDrawValue(false);
    EXPECT_EQ(p_v->serialize(""), "pos-x:40,pos-y:0,view_border:false,view_location:1,");

    expectReads<ViewObject>(
        {{"solidness:2,view_string:Hunger,view_value:42,view_border:false,view_color:1,view_location:8,"
          "view_draw_value:false,",
          "pos-x:66.6667,pos-y:23,view_string:Hunger,view_value:42,view_border:false,view_color:1,view_location:8,"},
         {"view_color:42,view_location:9,view_value:7,", "view_value:7,"},
         {"pos-x:5,pos-y:6,view_location:-1,view_string::Floor%003,",
          "pos-x:5,pos-y:6,view_string:Floor,view_location:-1,"},
         {"view_string::Floor%3A%203,", "view_string::Floor%3A%203,"}});
    EXPECT_TRUE(
        containsInOrder(logMessages(), {"ViewObject::deserialize(): Color 42 not a colour.  Ignored.",
                                        "ViewObject::setLocation(): Warning! Location out of range (9). Ignored."}));
    EXPECT_FALSE(logHas("ViewObject::setLocation(): Warning! Location out of range (-1). Ignored."));
}

// Reading a mangled text leaves objects that write a text that reads back the same, and that the
// world can move and draw.
TEST_F(SerializeTest, MangledTextsLeaveObjectsThatStillWork)
{
    // Numbers past the top of int saturate, and the first draw steps on to the first frame.
    qv::Object *p_ghost = new qv::Object;
    p_ghost->deserialize("sprite_name::big%20ghost%3A%202,sprite_index:99999999999,sprite_slowdown_count:99999999999");
    world().update();
    world().draw();
    world().draw();
    EXPECT_EQ(p_ghost->serialize("ANIMATION,"),
              "sprite_name::big%20ghost%3A%202,sprite_index:0,sprite_slowdown_count:1,");

    std::mt19937 random(5);
    const std::string pieces[] = {",", ":", "%", "|", " ", "-", "9", "e99", "2147483647", std::string(1, '\0')};
    const std::string original = (new ViewObject)->serialize("ALL") + "sprite_name:ghost,path:1 2|3 4|,path_index:1,";
    for (int round = 0; round < 200; round++)
    {
        std::string text = original;
        for (int i = 0; i < 3; i++)
            text.replace(random() % text.size(), random() % 3, pieces[random() % 10]);
        SCOPED_TRACE(text);
        qv::Object o;
        ViewObject v;
        o.deserialize(text);
        v.deserialize(text);
        expectReadsBack(o);
        expectReadsBack(v);
        world().update();
        world().draw();
    }
}

TEST(SerializeText, FreeTextIsEscapedOnlyWhenItHoldsSeparators)
{
    const std::pair<std::string, std::string> cases[] = {{"100%", "100%"},
                                                         {"Floor: 3", ":Floor%3A%203"},
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
    // Stray percents stand for themselves.
    EXPECT_EQ(qv::unescapeText(":%zz%4"), "%zz%4");
}
