#include "Food.h"

#include "LogManager.h"

Food::Food(int init_kind_of_food) : kindOfFood(init_kind_of_food)
{
    qv::LogManager::getInstance().writeLog("Food object created");
    setSolidness(qv::SOFT);
    setSprite(kindOfFood == 1 ? "big-food" : "food");
    setType("Food");
}

int Food::getKindOfFood() const
{
    return kindOfFood;
}
