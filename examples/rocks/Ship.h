#pragma once

#include <quorvex/Object.h>

namespace qv
{
class ViewObject;
}

/// The player's ship. It flies to the right by itself, Up and Down steer it, and it fires a bullet
/// every few steps. It also makes the rocks, ahead of it where the player cannot see them yet.
/// When it leaves the right end of the world it starts over at the left end; when its shields
/// are gone the game ends.
class Ship : public qv::Object
{
public:
    /// A HARD "Ship" flying right with its shields shown by `p_shields` (owned by the world);
    /// `quit_after` passes end the game (0: never).
    Ship(qv::ViewObject *p_shields, int quit_after);

    /// Steers on arrows, quits on Q, fires and makes rocks on steps, wraps when out; 1 if handled.
    int eventHandler(const qv::Event *p_event) override;

    /// Rocks made so far.
    int getRocksMade() const;
    /// Bullets fired so far.
    int getBulletsFired() const;
    /// Times the ship has flown off the right end of the world.
    int getLaps() const;

private:
    void step(int step_count);

    qv::ViewObject *p_shields; // the display item counting the shields left
    int quit_after;            // passes before the game ends by itself, 0 for never
    int rocks_made = 0;        // rocks made so far
    int bullets_fired = 0;     // bullets fired so far
    int laps = 0;              // times the ship has wrapped round
};
