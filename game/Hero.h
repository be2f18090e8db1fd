#pragma once

#include "Object.h"
#include "Vector.h"

class AttackRange;

namespace qv
{
class EventCollision;
class EventKeyboard;
} // namespace qv

/// Walking speed per step, cells: about half as fast vertically, as a cell is twice as high as wide.
const qv::Vector HERO_SPEED(0.33f, 0.15f);
/// Running speed per step (Space held), cells.
const qv::Vector HERO_RUN_SPEED(0.66f, 0.30f);
/// Steps an attack object lives.
const int ATTACK_STEPS = 5;

/// The player's character. The arrow keys walk it (running while Space is held), A attacks by
/// dropping a short-lived `AttackRange` where it stands, and touching the stairs announces
/// "event_stairs". Every arrow-key event, held and blocked ones included, is reported as
/// "hero_moved", which drives hunger. A hit shows "hurt" for a step; at game over it lies still
/// as "dead2" and ignores keys, hits and stairs.
class Hero : public qv::Object
{
public:
    /// A HARD "Hero" at altitude 4, standing, frozen on the first frame of "walk".
    Hero();

    /// Handles keys, steps, hits, collisions and game over; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;

    /// Is the hero running (Space held)?
    bool isFast() const;
    /// Is the "walk" sprite showing?
    bool getWalkSpriteSet() const;
    /// The live attack object, or null. Owned by the world manager.
    AttackRange *getAttackObject() const;
    /// Steps left for the live attack object; 5 when there is none.
    int getAttackTimer() const;
    /// Has the game ended for the hero?
    bool isDead() const;

private:
    void onKeyboard(const qv::EventKeyboard *p_keyboard_event);
    void onMoveOrAttackKey(const qv::EventKeyboard *p_keyboard_event);
    void onStep();
    void checkStairs(const qv::EventCollision *p_collision_event);

    bool fast = false;                   // running: Space is held
    bool walkSpriteSet = true;           // the "walk" sprite is showing
    AttackRange *attackObject = nullptr; // live attack object, or null; owned by the world manager
    int attackTimer = ATTACK_STEPS;      // steps left for the attack object
    bool dead = false;                   // set by game over
};

/// Freezes `p_o`'s animation on its first frame (unless already frozen) or, with `running`, runs
/// a frozen animation again from its first frame.
void setAnimationRunning(qv::Object *p_o, bool running);
