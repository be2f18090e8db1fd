#pragma once

#include "Object.h"

/// Something to eat, scattered over the rooms by the map. When the hero touches it, it announces
/// "food_found" (or "big-food" for big food) and asks the map to remove it.
class Food : public qv::Object
{
public:
    /// A SOFT "Food"; `init_kind_of_food` 1 is big food (sprite "big-food"), any other value
    /// normal food (sprite "food").
    explicit Food(int init_kind_of_food);

    /// Reacts to the hero's touch; always 0.
    int eventHandler(const qv::Event *p_event) override;

    /// 1 for big food, anything else for normal food.
    int getKindOfFood() const;

private:
    void eatenBy(qv::Object *p_eaten);

    int kindOfFood;     // 1: big food; otherwise normal food
    bool eaten = false; // already announced; waiting for its deletion
};
