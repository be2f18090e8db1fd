#pragma once

#include "Object.h"

/// Something to eat, scattered over the rooms by the map. Eating it raises the hunger bar.
class Food : public qv::Object
{
public:
    /// A SOFT "Food"; `init_kind_of_food` 1 is big food (sprite "big-food"), any other value
    /// normal food (sprite "food").
    explicit Food(int init_kind_of_food);

    /// 1 for big food, anything else for normal food.
    int getKindOfFood() const;

private:
    int kindOfFood; // 1: big food; otherwise normal food
};
