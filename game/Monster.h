#pragma once

#include "Object.h"

class Hero;

/// An enemy of the floor, placed in the rooms by the map. It stands still, frozen on the first
/// frame of "monster-walk", until its wander, search and chase states drive it.
class Monster : public qv::Object
{
public:
    /// A "Monster" at altitude 3 that will hunt `p_init_hero` (not owned).
    explicit Monster(Hero *p_init_hero);

    /// The hero it hunts.
    Hero *getHero() const;

private:
    Hero *hero; // the hero it hunts, not owned
};
