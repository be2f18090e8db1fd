#include "EventView.h"
#include "ViewObject.h"
#include "presentation_support.h"
#include "world_support.h"

#include <climits>
#include <tuple>

using qv::Vector;
using ViewObjectTest = WorldTest;

TEST_F(ViewObjectTest, ItemIsPlacedByLocationAndItsValueSetByTheViewEventsNamingIt)
{
    // tag, value, delta; value before and after
    const std::tuple<std::string, int, bool, int, int> cases[] = {{"Food", 3, true, 7, 10},
                                                                  {"Food", 3, false, 7, 3},
                                                                  {"food", 3, true, 7, 7},
                                                                  {"Food ", 3, false, 7, 7},
                                                                  {"Food", 1, true, INT_MAX, INT_MAX},
                                                                  {"Food", INT_MIN, true, -1, INT_MIN}};
    qv::ViewObject *p_v = new qv::ViewObject;
    EXPECT_EQ(p_v->getPosition(), Vector(40, 1));
    p_v->setLocation(qv::BOTTOM_RIGHT);
    p_v->setBorder(false);
    EXPECT_EQ(p_v->getPosition(), Vector(400.0f / 6, 23)) << "one row further out without a border";
    // Every valid call marks its attribute, though it sets the value it had.
    for (const bool valid : {true, false})
    {
        p_v->serialize("");
        p_v->setLocation(valid ? qv::BOTTOM_RIGHT : static_cast<qv::ViewObjectLocation>(9));
        EXPECT_EQ(p_v->isModified(qv::LOCATION), valid);
        EXPECT_FALSE(p_v->isModified(qv::BORDER));
    }
    p_v->setBorder(false);
    EXPECT_TRUE(p_v->isModified(qv::BORDER) && p_v->isModified(qv::LOCATION));
    p_v->setViewString("Food");
    for (const auto &[tag, value, delta, before, after] : cases)
    {
        p_v->setValue(before);
        p_v->serialize("VALUE,");
        const qv::EventView event(tag, value, delta);
        EXPECT_EQ(p_v->eventHandler(&event), tag == "Food") << tag << value;
        EXPECT_EQ(p_v->getValue(), after) << tag << value;
        EXPECT_EQ(p_v->isModified(qv::VALUE), after != before) << tag << value;
    }
    const qv::EventView set("Food", 1, false);
    EXPECT_EQ(world().onEvent(&set), 1);
    EXPECT_EQ(p_v->getValue(), 1);
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
