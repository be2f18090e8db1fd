#include "ViewObject.h"
#include "attribute_text.h"
#include "world_support.h"

#include <random>
#include <string>
#include <vector>

using qv::Vector;
using qv::ViewObject;

namespace
{

// What a new view object (id 1) writes for "ALL" in an 80 x 24 view.
const std::string NEW_VIEW_TEXT =
    "id:1,is_active:true,is_visible:true,event_count:1,event_name[0]:qv-view,box-corner-x:-0.5,"
    "box-corner-y:-0.5,box-horizontal:0.99,box-vertical:0.99,pos-x:40,pos-y:1,type:ViewObject,sprite_name:,"
    "sprite_index:0,sprite_slowdown_count:0,altitude:4,solidness:2,no_soft:false,x_direction:0,y_direction:0,"
    "speed:0,x_acceleration:0,y_acceleration:0,shape:-1,size:24,color:7,opacity:255,follow_path:false,path:,"
    "path_index:0,avoid_collisions:false,view_string:,view_value:0,view_border:true,view_color:7,"
    "view_location:1,view_draw_value:true,";

} // namespace

class SerializeViewTest : public WorldTest
{
protected:
    // Reads `text` into a new view object and returns all that the new one writes.
    static std::string readBack(const std::string &text)
    {
        ViewObject *p_copy = new ViewObject;
        p_copy->deserialize(text);
        return p_copy->serialize("ALL");
    }
};

TEST_F(SerializeViewTest, NewViewObjectWritesTheObjectThenItsSixItems)
{
    ViewObject *p_v = new ViewObject;
    EXPECT_EQ(p_v->serialize(""), NEW_VIEW_TEXT);
    EXPECT_EQ(p_v->serialize(""), "");
    EXPECT_FALSE(p_v->isModified());
}

TEST_F(SerializeViewTest, SelectorsPickViewItemsAfterTheObjectPart)
{
    ViewObject *p_v = new ViewObject;
    EXPECT_EQ(p_v->serialize("VALUE,LOCATION,"), "view_value:0,view_location:1,");
    EXPECT_FALSE(p_v->isModified(qv::VALUE));
    EXPECT_TRUE(p_v->isModified(qv::BORDER));
    p_v->setViewString("Floor: 3");
    p_v->setColor(qv::GREEN);
    EXPECT_EQ(p_v->serialize("TYPE,VIEW_STRING,COLOR,"), "type:ViewObject,view_string::Floor%3A%203,view_color:2,");
    // "DRAW_VALUE," holds "VALUE,".
    EXPECT_EQ(p_v->serialize("DRAW_VALUE,"), "view_value:0,view_draw_value:true,");
}

TEST_F(SerializeViewTest, ChangeOnlyTextFollowsTheSetters)
{
    struct Case
    {
        const char *what;
        std::function<void(ViewObject *)> change;
        const char *text;
    };
    const Case cases[] = {
        {"text", [](ViewObject *p) { p->setViewString("Food"); }, "view_string:Food,"},
        {"value", [](ViewObject *p) { p->setValue(-3); }, "view_value:-3,"},
        {"same value", [](ViewObject *p) { p->setValue(0); }, ""},
        {"colour", [](ViewObject *p) { p->setColor(qv::CYAN); }, "view_color:6,"},
        {"location", [](ViewObject *p) { p->setLocation(qv::BOTTOM_LEFT); }, "pos-x:13.3333,pos-y:22,view_location:6,"},
        {"border", [](ViewObject *p) { p->setBorder(false); }, "pos-x:40,pos-y:0,view_border:false,view_location:1,"},
        {"draw value", [](ViewObject *p) { p->setDrawValue(false); }, ""},
    };
    for (const Case &c : cases)
    {
        ViewObject *p_v = new ViewObject;
        p_v->serialize("");
        c.change(p_v);
        EXPECT_EQ(p_v->serialize(""), c.text) << c.what;
    }
}

TEST_F(SerializeViewTest, IsModifiedLooksAtTheViewFlagsFirst)
{
    qv::LogManager::getInstance().setLogLevel(20);
    ViewObject *p_v = new ViewObject;
    p_v->serialize("");
    p_v->setAltitude(1);
    EXPECT_TRUE(p_v->isModified());
    EXPECT_TRUE(
        containsInOrder(logMessages(), {"ViewObject::isModified(): 0 is false", "ViewObject::isModified(): 5 is false",
                                        "Object::isModified(): 0 is false", "Object::isModified(): 8 is true"}));
    p_v->serialize("");
    p_v->setValue(5);
    EXPECT_TRUE(p_v->isModified());
    EXPECT_TRUE(logHas("ViewObject::isModified(): 1 is true"));
    p_v->serialize("");
    EXPECT_FALSE(p_v->isModified());
}

TEST_F(SerializeViewTest, DeserializeTracesAtLevel10AndAppliesThroughTheSetters)
{
    qv::LogManager::getInstance().setLogLevel(10);
    ViewObject *p_v = new ViewObject;
    p_v->serialize("");
    p_v->deserialize("solidness:2,view_string:Hunger,view_value:42,view_border:false,view_color:1,"
                     "view_location:8,view_draw_value:false,");
    EXPECT_TRUE(containsInOrder(logMessages(), {
                                                   "ViewObject::deserialize(): view_string is Hunger",
                                                   "ViewObject::deserialize(): value is 42",
                                                   "ViewObject::deserialize(): border is false",
                                                   "ViewObject::deserialize(): color is 1",
                                                   "ViewObject::deserialize(): location is 8",
                                                   "ViewObject::deserialize(): draw_value is false",
                                               }));
    EXPECT_FALSE(logHas("Object::deserialize(): solidness is 2"));
    EXPECT_EQ(p_v->getViewString(), "Hunger");
    EXPECT_EQ(p_v->getValue(), 42);
    EXPECT_FALSE(p_v->getBorder());
    EXPECT_EQ(p_v->getColor(), qv::RED);
    EXPECT_EQ(p_v->getLocation(), qv::BOTTOM_RIGHT);
    EXPECT_NEAR(p_v->getPosition().getX(), 66.67f, 0.01f);
    EXPECT_EQ(p_v->getPosition().getY(), 23);
    EXPECT_FALSE(p_v->getDrawValue());
    EXPECT_EQ(p_v->serialize(""), "pos-x:66.6667,pos-y:23,view_string:Hunger,view_value:42,view_border:false,"
                                  "view_color:1,view_location:8,");
}

TEST_F(SerializeViewTest, BorderOffMovesTheTopCentreItemToRow0)
{
    ViewObject *p_v = new ViewObject;
    ASSERT_EQ(p_v->getPosition(), Vector(40, 1));
    p_v->deserialize("view_border:false,");
    EXPECT_EQ(p_v->getPosition(), Vector(40, 0));
    EXPECT_EQ(p_v->getLocation(), qv::TOP_CENTER);
}

TEST_F(SerializeViewTest, BadColourOrLocationIsRefusedAndTheRestApplies)
{
    ViewObject *p_v = new ViewObject;
    p_v->deserialize("view_color:42,view_location:9,view_value:7,");
    EXPECT_TRUE(logHas("ViewObject::deserialize(): Color 42 not a colour.  Ignored."));
    EXPECT_TRUE(logHas("ViewObject::setLocation(): Warning! Location out of range (9). Ignored."));
    EXPECT_EQ(p_v->getColor(), qv::WHITE);
    EXPECT_EQ(p_v->getLocation(), qv::TOP_CENTER);
    EXPECT_EQ(p_v->getPosition(), Vector(40, 1));
    EXPECT_EQ(p_v->getValue(), 7);
}

TEST_F(SerializeViewTest, PlacedByPositionReadsBackUnpinnedWithoutWarning)
{
    ViewObject *p_v = new ViewObject;
    p_v->setPosition(Vector(5, 6));
    const std::string text = p_v->serialize("POSITION,LOCATION,");
    EXPECT_EQ(text, "pos-x:5,pos-y:6,view_location:-1,");
    ViewObject *p_copy = new ViewObject;
    p_copy->deserialize(text);
    EXPECT_EQ(p_copy->getPosition(), Vector(5, 6));
    EXPECT_EQ(p_copy->getLocation(), qv::UNDEFINED_LOCATION);
    EXPECT_FALSE(logHas("ViewObject::setLocation(): Warning! Location out of range (-1). Ignored."));
}

TEST_F(SerializeViewTest, ViewStringCannotSmuggleInKeysAndKeepsItsBlanks)
{
    ViewObject *p_v = new ViewObject;
    p_v->setViewString("x,solidness:0");
    const std::string text = p_v->serialize("VIEW_STRING,");
    EXPECT_EQ(text, "view_string::x%2Csolidness%3A0,");
    ViewObject *p_copy = new ViewObject;
    p_copy->deserialize(text);
    EXPECT_EQ(p_copy->getViewString(), "x,solidness:0");
    EXPECT_EQ(p_copy->getSolidness(), qv::SPECTRAL);

    for (const char *shown : {"Floor: 3", "  Hunger  ", "a\tb", "", "Game Over!"})
    {
        p_v->setViewString(shown);
        p_copy->deserialize(p_v->serialize("VIEW_STRING,"));
        EXPECT_EQ(p_copy->getViewString(), shown);
    }
}

TEST_F(SerializeViewTest, ViewStringEndsAtANul)
{
    ViewObject *p_v = new ViewObject;
    p_v->deserialize("view_string::Floor%003,");
    EXPECT_EQ(p_v->getViewString(), "Floor");
}

TEST_F(SerializeViewTest, RandomViewObjectsReadBackIntoTheSameText)
{
    std::mt19937 random(7);
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const std::vector<std::string> texts = {"Floor", "Floor: 3", "Hunger ", "a,b", "", "%", "x,view_value:9"};
    for (int round = 0; round < 40; round++)
    {
        ViewObject *p_v = new ViewObject;
        p_v->setViewString(texts[static_cast<std::size_t>(pick(0, static_cast<int>(texts.size()) - 1))]);
        p_v->setValue(pick(-1000, 1000));
        p_v->setColor(static_cast<qv::Color>(pick(0, 8)));
        p_v->setBorder(pick(0, 1) == 1);
        p_v->setDrawValue(pick(0, 1) == 1);
        if (pick(0, 3) == 0)
            p_v->setPosition(Vector(static_cast<float>(pick(-40, 40)) * 0.5f, static_cast<float>(pick(0, 24))));
        else
            p_v->setLocation(static_cast<qv::ViewObjectLocation>(pick(0, 8)));
        p_v->setAltitude(pick(0, 4));
        p_v->setVisible(pick(0, 1) == 1);
        if (pick(0, 1) == 1)
            p_v->registerInterest("floor changed");
        const std::string text = p_v->serialize("ALL");
        EXPECT_EQ(readBack(text), text) << "round " << round;
    }
}
