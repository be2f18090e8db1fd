#pragma once

#include "ViewObject.h"

/// Walking events that cost nothing before one costs a point.
const int HUNGER_STEPS = 50;
/// Monster touches that cost nothing before one costs points.
const int PLAYER_HIT_GRACE = 10;
/// Points lost to a monster touch that is not forgiven.
const int PLAYER_HIT_COST = 5;
/// Points gained by eating food.
const int FOOD_VALUE = 3;
/// Points gained by eating big food.
const int BIG_FOOD_VALUE = 10;
/// Points gained by landing an attack on a monster.
const int MONSTER_HIT_VALUE = 1;

/// The hunger bar at the top left of the screen: the hero's only life. It starts at 100, drops
/// with walking (three times faster running) and with monster touches, rises with food and with
/// attacks that land, and announces "game-over" once when it runs empty, then removes itself.
/// Every loss is logged as "Hunger::checkGameOver(): Hunger down to <value>".
class Hunger : public qv::ViewObject
{
public:
    /// "Hunger" at the top left, in white, at 100.
    Hunger();

    /// Counts walking, hits and food; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;

    /// Monster touches left before the next one costs points.
    int getPlayerHitTimer() const;
    /// Walking left before the next point is lost, in walking events (running counts 3).
    int getHungerTimer() const;
    /// Has "game-over" been announced?
    bool isGameOverSent() const;

private:
    void checkGameOver();

    int playerHitTimer = PLAYER_HIT_GRACE; // monster touches left before one costs points
    int hungerTimer = HUNGER_STEPS;        // walking events left before a point is lost
    bool gameOverSent = false;             // "game-over" has been announced
};
