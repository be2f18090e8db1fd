#include "EventView.h"
#include "ViewObject.h"
#include "presentation_support.h"
#include "world_support.h"

#include <climits>

using qv::Vector;
using ViewObjectTest = WorldTest;

TEST_F(ViewObjectTest, ItemsArePlacedByLocationAndBorderWhenTheLocationIsChosen)
{
    qv::ViewObject *p_v = new qv::ViewObject;
    EXPECT_EQ(p_v->getPosition(), Vector(40, 1));
    // A view of 90 x 31: columns W / 6, W x 3 / 6 and W x 5 / 6; rows 1, H x 0.5 and H - 2 with a
    // border, one further out without.
    qv::WorldManager::getInstance().setView(qv::Box(Vector(200, 100), 90, 31));
    const float x[] = {15, 45, 75}, y_border[] = {1, 15.5f, 29}, y_plain[] = {0, 14.5f, 30};
    for (int location = qv::TOP_LEFT; location <= qv::BOTTOM_RIGHT; location++)
    {
        p_v->setBorder(true);
        p_v->setLocation(static_cast<qv::ViewObjectLocation>(location));
        EXPECT_EQ(p_v->getPosition(), Vector(x[location % 3], y_border[location / 3])) << location;
        p_v->setBorder(false);
        EXPECT_EQ(p_v->getPosition(), Vector(x[location % 3], y_plain[location / 3])) << location;
        EXPECT_EQ(p_v->getLocation(), location);
    }
    for (int location : {9, -1})
    {
        p_v->setLocation(static_cast<qv::ViewObjectLocation>(location));
        EXPECT_TRUE(logHas("ViewObject::setLocation(): Warning! Location out of range (" + std::to_string(location) +
                           "). Ignored."));
        EXPECT_EQ(p_v->getLocation(), qv::BOTTOM_RIGHT);
    }
    qv::WorldManager::getInstance().setView(qv::Box(Vector(0, 0), 80, 24));
    EXPECT_EQ(p_v->getPosition(), Vector(75, 30)) << "a later view leaves it where it is";
    p_v->setPosition(Vector(5, 6));
    p_v->setBorder(true);
    EXPECT_EQ(p_v->getLocation(), qv::UNDEFINED_LOCATION);
    EXPECT_EQ(p_v->getPosition(), Vector(5, 6));
}

TEST_F(ViewObjectTest, ViewEventsSetOrAddToTheValueOfTheItemTheyName)
{
    struct Case
    {
        std::string tag;
        int value;
        bool delta;
        int start, after;
    };
    const Case cases[] = {{"Food", 3, true, 7, 10},
                          {"Food", 3, false, 7, 3},
                          {"food", 3, true, 7, 7},
                          {"Food ", 3, false, 7, 7},
                          {"Food", 1, true, INT_MAX, INT_MAX},
                          {"Food", INT_MIN, true, -1, INT_MIN}};
    qv::ViewObject *p_v = new qv::ViewObject;
    p_v->setViewString("Food");
    for (const Case &c : cases)
    {
        p_v->setValue(c.start);
        p_v->serialize("VALUE,");
        const qv::EventView event(c.tag, c.value, c.delta);
        EXPECT_EQ(p_v->eventHandler(&event), c.tag == "Food") << c.tag << c.value;
        EXPECT_EQ(p_v->getValue(), c.after) << c.tag << c.value;
        EXPECT_EQ(p_v->isModified(qv::VALUE), c.after != c.start) << c.tag << c.value;
    }
    const qv::EventView set("Food", 1, false);
    EXPECT_EQ(qv::WorldManager::getInstance().onEvent(&set), 1);
    EXPECT_EQ(p_v->getValue(), 1);
    qv::Event impostor;
    impostor.setType(qv::VIEW_EVENT);
    EXPECT_EQ(p_v->eventHandler(&impostor), 0);
    EXPECT_EQ(p_v->draw(), -5) << "five drawing calls, each failing without a display";
}

// "Food" with the value -45 at the top centre (40, 1) of a view away from the world's corner.
TEST_F(WindowTest, ViewObjectDrawsItsTextValueAndBorderInFourForms)
{
    startWindow();
    qv::WorldManager::getInstance().setView(qv::Box(Vector(300, 40), 80, 24));
    qv::ViewObject *p_v = new qv::ViewObject;
    p_v->setViewString("Food");
    p_v->setValue(-45);
    // {first x, length, y} per drawing call: the text, the dashes above and below, the two bars.
    const std::vector<std::vector<int>> runs[] = {
        {{35, 10, 1}, {35, 10, 0}, {35, 10, 2}, {34, 1, 1}, {45, 1, 1}}, // " Food -45 "
        {{37, 6, 1}, {37, 6, 0}, {37, 6, 2}, {36, 1, 1}, {43, 1, 1}},    // " Food "
        {{36, 8, 0}},                                                    // "Food -45", one row up
        {{38, 4, 0}},                                                    // "Food"
    };
    for (int form = 0; form < 4; form++)
    {
        std::vector<std::string> cells;
        for (const std::vector<int> &run : runs[form])
            for (int x = run[0]; x < run[0] + run[1]; x++)
                cells.push_back("(" + std::to_string(x) + ".00," + std::to_string(run[2]) + ".00)");
        p_v->setBorder(form < 2);
        p_v->setDrawValue(form % 2 == 0);
        int result = -1;
        EXPECT_EQ(drawnCells([&] { result = p_v->draw(); }), cells) << form;
        EXPECT_EQ(result, 0);
    }
}
