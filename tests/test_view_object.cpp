#include "Box.h"
#include "EventStep.h"
#include "EventView.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Vector.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "presentation_support.h"
#include "test_support.h"

#include <climits>
#include <string>
#include <vector>

namespace
{

class ViewObjectTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
        qv::WorldManager::getInstance().setView(qv::Box(qv::Vector(0, 0), 80, 24));
    }

    void TearDown() override
    {
        qv::GameManager::getInstance().shutDown();
        EngineTest::TearDown();
    }
};

struct Placement
{
    qv::ViewObjectLocation location;
    float x, y_border, y_plain; // cells
};

} // namespace

TEST_F(ViewObjectTest, NewViewObjectIsAWhiteBorderedItemAtTheTopCentre)
{
    qv::ViewObject *p_v = new qv::ViewObject;
    EXPECT_EQ(p_v->getPosition(), qv::Vector(40, 1));
    EXPECT_EQ(p_v->getLocation(), qv::TOP_CENTER);
    EXPECT_EQ(p_v->getType(), "ViewObject");
    EXPECT_EQ(p_v->getSolidness(), qv::SPECTRAL);
    EXPECT_EQ(p_v->getAltitude(), qv::MAX_ALTITUDE);
    EXPECT_EQ(p_v->getViewString(), "");
    EXPECT_EQ(p_v->getValue(), 0);
    EXPECT_EQ(p_v->getColor(), qv::WHITE);
    EXPECT_TRUE(p_v->getBorder());
    EXPECT_TRUE(p_v->getDrawValue());
    for (int i = 0; i < qv::VIEW_ATTRIBUTE_COUNT; i++)
        EXPECT_TRUE(p_v->isModified(static_cast<qv::ViewObjectAttribute>(i))) << i;
    EXPECT_FALSE(p_v->isModified(static_cast<qv::ViewObjectAttribute>(qv::VIEW_ATTRIBUTE_COUNT)));
    EXPECT_FALSE(p_v->isModified(static_cast<qv::ViewObjectAttribute>(-1)));
    EXPECT_TRUE(p_v->isModified(qv::POSITION)) << "the object's own flags are still there";

    // It is registered for view events with the world manager.
    const qv::EventView event("", 5, false);
    EXPECT_EQ(qv::WorldManager::getInstance().onEvent(&event), 1);
    EXPECT_EQ(p_v->getValue(), 5);
}

TEST_F(ViewObjectTest, NineLocationsWithAndWithoutBorderFollowTheView)
{
    // W / 6, W x 3 / 6 and W x 5 / 6 across; 1, H x 0.5 and H - 2 down with a border, one row
    // further out (0, H x 0.5 - 1, H - 1) without.
    struct View
    {
        float w, h;
        std::vector<Placement> places;
    };
    const std::vector<View> views = {
        {80,
         24,
         {{qv::TOP_LEFT, 80.0f / 6, 1, 0},
          {qv::TOP_CENTER, 40, 1, 0},
          {qv::TOP_RIGHT, 400.0f / 6, 1, 0},
          {qv::CENTER_LEFT, 80.0f / 6, 12, 11},
          {qv::CENTER_CENTER, 40, 12, 11},
          {qv::CENTER_RIGHT, 400.0f / 6, 12, 11},
          {qv::BOTTOM_LEFT, 80.0f / 6, 22, 23},
          {qv::BOTTOM_CENTER, 40, 22, 23},
          {qv::BOTTOM_RIGHT, 400.0f / 6, 22, 23}}},
        {90,
         31,
         {{qv::TOP_LEFT, 15, 1, 0},
          {qv::TOP_CENTER, 45, 1, 0},
          {qv::TOP_RIGHT, 75, 1, 0},
          {qv::CENTER_LEFT, 15, 15.5f, 14.5f},
          {qv::CENTER_CENTER, 45, 15.5f, 14.5f},
          {qv::CENTER_RIGHT, 75, 15.5f, 14.5f},
          {qv::BOTTOM_LEFT, 15, 29, 30},
          {qv::BOTTOM_CENTER, 45, 29, 30},
          {qv::BOTTOM_RIGHT, 75, 29, 30}}},
    };
    for (const View &view : views)
    {
        // The view's corner plays no part: positions are relative to it.
        qv::WorldManager::getInstance().setView(qv::Box(qv::Vector(200, 100), view.w, view.h));
        for (const Placement &place : view.places)
        {
            SCOPED_TRACE("view " + std::to_string(view.w) + " x " + std::to_string(view.h) + ", location " +
                         std::to_string(place.location));
            qv::ViewObject *p_v = new qv::ViewObject;
            p_v->setLocation(place.location);
            EXPECT_EQ(p_v->getLocation(), place.location);
            EXPECT_FLOAT_EQ(p_v->getPosition().getX(), place.x);
            EXPECT_FLOAT_EQ(p_v->getPosition().getY(), place.y_border);
            p_v->setBorder(false);
            EXPECT_EQ(p_v->getLocation(), place.location);
            EXPECT_FLOAT_EQ(p_v->getPosition().getX(), place.x);
            EXPECT_FLOAT_EQ(p_v->getPosition().getY(), place.y_plain);
            p_v->setLocation(place.location);
            EXPECT_FLOAT_EQ(p_v->getPosition().getY(), place.y_plain);
            p_v->setBorder(true);
            EXPECT_FLOAT_EQ(p_v->getPosition().getY(), place.y_border);
        }
    }
}

TEST_F(ViewObjectTest, LocationOutOfRangeIsRefusedAndPositionSetDirectlyUnpins)
{
    qv::ViewObject *p_v = new qv::ViewObject;
    p_v->setLocation(qv::BOTTOM_LEFT);
    const qv::Vector pinned = p_v->getPosition();
    for (int location : {9, -1, 1000, INT_MIN})
    {
        p_v->setLocation(static_cast<qv::ViewObjectLocation>(location));
        EXPECT_TRUE(logHas("ViewObject::setLocation(): Warning! Location out of range (" + std::to_string(location) +
                           "). Ignored."));
        EXPECT_EQ(p_v->getLocation(), qv::BOTTOM_LEFT);
        EXPECT_EQ(p_v->getPosition(), pinned);
    }

    // Setting the same position changes nothing; another one unpins, and the border then stays off
    // the position.
    p_v->setPosition(pinned);
    EXPECT_EQ(p_v->getLocation(), qv::BOTTOM_LEFT);
    p_v->setPosition(qv::Vector(5, 6));
    EXPECT_EQ(p_v->getLocation(), qv::UNDEFINED_LOCATION);
    p_v->setBorder(false);
    EXPECT_EQ(p_v->getPosition(), qv::Vector(5, 6));
    EXPECT_EQ(p_v->getLocation(), qv::UNDEFINED_LOCATION);

    // The place is worked out when it is chosen; a later view of another size does not move it.
    p_v->setLocation(qv::CENTER_RIGHT);
    qv::WorldManager::getInstance().setView(qv::Box(qv::Vector(0, 0), 120, 40));
    EXPECT_EQ(p_v->getPosition(), qv::Vector(400.0f / 6, 11));
}

TEST_F(ViewObjectTest, ViewEventsSetOrAddToTheValueOfMatchingItemsOnly)
{
    struct Case
    {
        std::string tag;
        int value;
        bool delta;
        int start;
        int handled; // eventHandler's result
        int after;   // the value then
    };
    const std::vector<Case> cases = {
        {"Food", 3, true, 7, 1, 10},
        {"Food", 3, false, 7, 1, 3},
        {"Food", -10, true, 7, 1, -3},
        {"Food", 7, false, 7, 1, 7},
        {"food", 3, true, 7, 0, 7},
        {"Food ", 3, true, 7, 0, 7},
        {"", 3, true, 7, 0, 7},
        {"Food", 1, true, INT_MAX, 1, INT_MAX},
        {"Food", INT_MIN, true, -1, 1, INT_MIN},
    };
    qv::ViewObject *p_v = new qv::ViewObject;
    p_v->setViewString("Food");
    for (const Case &c : cases)
    {
        SCOPED_TRACE("'" + c.tag + "' " + std::to_string(c.value) + (c.delta ? " added to " : " replacing ") +
                     std::to_string(c.start));
        p_v->setValue(c.start);
        const qv::EventView event(c.tag, c.value, c.delta);
        EXPECT_EQ(p_v->eventHandler(&event), c.handled);
        EXPECT_EQ(p_v->getValue(), c.after);
    }

    // Sent through the world manager, the event reaches every view object and changes the one it
    // names.
    qv::ViewObject *p_other = new qv::ViewObject;
    p_other->setViewString("Floor");
    p_v->setValue(1);
    qv::EventView floor;
    floor.setTag("Floor");
    floor.setValue(4);
    floor.setDelta(true);
    EXPECT_EQ(floor.getType(), "qv-view");
    EXPECT_EQ(qv::WorldManager::getInstance().onEvent(&floor), 2);
    EXPECT_EQ(p_other->getValue(), 4);
    EXPECT_EQ(p_v->getValue(), 1);

    // A bare event that only calls itself a view event is refused, not misread.
    qv::Event impostor;
    impostor.setType(qv::VIEW_EVENT);
    EXPECT_EQ(p_v->eventHandler(&impostor), 0);
    EXPECT_TRUE(logHas("ViewObject::eventHandler(): Error! Dynamic cast to EventView failed."));
    const qv::EventStep step(3);
    EXPECT_EQ(p_v->eventHandler(&step), 0);
    EXPECT_EQ(p_v->getValue(), 1);
}

TEST_F(ViewObjectTest, DrawingWithoutADisplayCountsEachFailedCall)
{
    qv::ViewObject *p_v = new qv::ViewObject;
    p_v->setViewString("Food");
    EXPECT_EQ(p_v->draw(), -5);
    p_v->setBorder(false);
    EXPECT_EQ(p_v->draw(), -1);
}

// The middle row and the frame of "Food" with the value -45, in the four forms, at the top centre
// (40, 1) of a view scrolled away from the world's corner.
TEST_F(WindowTest, ViewObjectDrawsItsTextValueAndBorderInFourForms)
{
    startWindow();
    qv::WorldManager::getInstance().setView(qv::Box(qv::Vector(300, 40), 80, 24));
    qv::ViewObject *p_v = new qv::ViewObject;
    p_v->setViewString("Food");
    p_v->setValue(-45);
    p_v->setColor(qv::GREEN);
    p_v->setLocation(qv::CENTER_CENTER);
    p_v->setLocation(qv::TOP_CENTER);

    auto row = [](int first, int count, int y)
    {
        std::vector<std::string> cells;
        for (int x = first; x < first + count; x++)
            cells.push_back("(" + std::to_string(x) + ".00," + std::to_string(y) + ".00)");
        return cells;
    };
    auto join = [](std::vector<std::vector<std::string>> parts)
    {
        std::vector<std::string> all;
        for (const auto &part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    struct Case
    {
        bool border, draw_value;
        std::vector<std::string> cells; // in drawing order
    };
    // " Food -45 " is 10 long and starts 5 left of x; " Food " is 6 and starts 3 left; "Food -45"
    // 8 and 4; "Food" 4 and 2. Without a border the item stands one row higher.
    const std::vector<Case> cases = {
        {true, true, join({row(35, 10, 1), row(35, 10, 0), row(35, 10, 2), row(34, 1, 1), row(45, 1, 1)})},
        {true, false, join({row(37, 6, 1), row(37, 6, 0), row(37, 6, 2), row(36, 1, 1), row(43, 1, 1)})},
        {false, true, row(36, 8, 0)},
        {false, false, row(38, 4, 0)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::string(c.border ? "border" : "no border") + (c.draw_value ? ", value" : ", no value"));
        p_v->setBorder(c.border);
        p_v->setDrawValue(c.draw_value);
        int result = -1;
        EXPECT_EQ(drawnCells([&] { result = p_v->draw(); }), c.cells);
        EXPECT_EQ(result, 0);
    }
}
