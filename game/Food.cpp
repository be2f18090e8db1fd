#include "Food.h"

#include "EventBigFood.h"
#include "EventCollision.h"
#include "EventDeleteInstance.h"
#include "EventFoodFound.h"
#include "LogManager.h"
#include "WorldManager.h"

Food::Food(int init_kind_of_food) : kindOfFood(init_kind_of_food)
{
    qv::LogManager::getInstance().writeLog("Food object created");
    setSolidness(qv::SOFT);
    setSprite(kindOfFood == 1 ? "big-food" : "food");
    setType("Food");
    registerInterest(qv::COLLISION_EVENT);
}

int Food::eventHandler(const qv::Event *p_event)
{
    if (p_event->getType() != qv::COLLISION_EVENT)
        return 0;
    const qv::EventCollision *p_collision_event = dynamic_cast<const qv::EventCollision *>(p_event);
    if (p_collision_event == nullptr)
        return 0;
    qv::Object *p_o1 = p_collision_event->getObject1();
    qv::Object *p_o2 = p_collision_event->getObject2();
    if (p_o1 != nullptr && p_o1->getType() == "Hero")
        eatenBy(p_o2);
    if (p_o2 != nullptr && p_o2->getType() == "Hero")
        eatenBy(p_o1);
    return 0;
}

// An eaten food stays in the world until the end of the pass; any further touch before then must
// not feed the hero twice.
void Food::eatenBy(qv::Object *p_eaten)
{
    if (eaten)
        return;
    eaten = true;
    qv::WorldManager &world_manager = qv::WorldManager::getInstance();
    if (kindOfFood == 1)
    {
        EventBigFood big_food;
        world_manager.onEvent(&big_food);
    }
    else
    {
        EventFoodFound food_found;
        world_manager.onEvent(&food_found);
    }
    EventDeleteInstance delete_event(p_eaten);
    world_manager.onEvent(&delete_event);
}

int Food::getKindOfFood() const
{
    return kindOfFood;
}
