#pragma once

#include "Box.h"
#include "Manager.h"
#include "ObjectList.h"
#include "Vector.h"

namespace qv
{

/// Owns the game world: every object from its construction until it is deleted at the end of the
/// pass in which game code marked it, or at shut-down. Each pass `update` moves the active objects
/// and deletes the marked ones, and `draw` draws the visible ones. Game events (any name but the
/// engine's own) are registered with it and sent with its `onEvent`.
class WorldManager : public Manager
{
public:
    static WorldManager &getInstance();

    /// Refuses the input and step events, and the collision and out events it hands out itself.
    bool isValid(const std::string &event_name) const override;
    int startUp() override;
    /// Deletes every remaining object.
    void shutDown() override;

    /// Takes ownership of `p_o`; 0, or -1 when the manager is not started.
    int insertObject(Object *p_o);
    /// Forgets `p_o` without deleting it; called by the object's destructor.
    int removeObject(Object *p_o);
    /// Deletes `p_o` at the end of the current pass; marking twice is harmless.
    int markForDelete(Object *p_o);

    /// Moves the active objects and deletes the marked ones.
    void update();
    /// Draws the visible objects.
    void draw();

    Box getBoundary() const;
    void setBoundary(const Box &new_boundary);
    Box getView() const;
    void setView(const Box &new_view);
    Vector getViewSlack() const;
    /// Fractions (0 to 1) of the view around its centre in which a followed object moves freely.
    void setViewSlack(const Vector &new_view_slack);

private:
    WorldManager();

    ObjectList objects;    // every object in the world
    ObjectList deletions;  // objects marked for deletion this pass
    Box boundary;          // the world's extent, cells
    Box view;              // the part of the world shown, cells
    Vector view_slack;     // dead zone around the view centre, fractions of the view
};

} // namespace qv
