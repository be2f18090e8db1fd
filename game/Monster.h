#pragma once

#include "Object.h"
#include "StateChase.h"
#include "StateMachine.h"
#include "StateSearch.h"
#include "StateWander.h"
#include "Vector.h"

class Hero;

namespace qv
{
class EventCollision;
} // namespace qv

/// Horizontal and vertical monster speed per step, cells.
const qv::Vector MONSTER_SPEED(0.37f, 0.17f);
/// Distance below which a monster notices the hero, cells (rows count a quarter).
const float MONSTER_RANGE = 20.0f;

/// An enemy of the floor, placed in the rooms by the map. A state machine drives it: it wanders
/// with long pauses, searches when the hero comes near, chases the hero while it sees it. Touching
/// the hero sends "player_hit"; every second touch of the hero's attack object wounds it, and the
/// third wound kills it ("delete_event").
class Monster : public qv::Object
{
public:
    /// A "Monster" at altitude 3 that will hunt `p_init_hero` (not owned), wandering.
    explicit Monster(Hero *p_init_hero);

    /// Steps the state machine and handles collisions; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;

    /// Is the hero close enough to notice (rows weigh a quarter of columns)?
    bool heroInRange() const;
    /// Unit vector towards the hero when in range and no wall crosses the box between the two,
    /// else (0, 0).
    qv::Vector directionToHero() const;

    /// The hero it hunts.
    Hero *getHero() const;
    /// Switches the machine to `p_new_state` (Exit, then Enter).
    void changeState(qv::State *p_new_state);
    /// The current state.
    qv::State *getState() const;
    /// The wandering state.
    StateWander *getWander();
    /// The searching state.
    StateSearch *getSearch();
    /// The chasing state.
    StateChase *getChase();

    /// Steps left in the current walk.
    int getMoveTimer() const;
    /// Sets the steps left in the current walk.
    void setMoveTimer(int new_move_timer);
    /// Steps left in the current pause.
    int getPauseTimer() const;
    /// Sets the steps left in the current pause.
    void setPauseTimer(int new_pause_timer);
    /// Attack touches left before the next wound.
    int getHitCounter() const;
    /// Wounds left before death.
    int getHealth() const;
    /// Wounds taken so far.
    int getHurtCount() const;

private:
    void onCollision(const qv::EventCollision *p_collision_event);
    void onAttacked();

    Hero *hero;               // the hero it hunts, not owned
    int moveTimer = 60;       // steps left in the current walk
    int pauseTimer = 90;      // steps left in the current pause
    int hitCounter = 2;       // attack touches left before the next wound
    int health = 3;           // wounds left before death
    int hurtCount = 0;        // wounds taken so far
    qv::StateMachine machine; // drives the behaviour; owner is this monster
    StateWander wander;       // standing and strolling at random
    StateChase chase;         // walking straight at the visible hero
    StateSearch search;       // looking around near the hero
};

/// One of the four unit directions (right, left, down, up), drawn with `rand()`.
qv::Vector randomDirection();
