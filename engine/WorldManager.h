#pragma once

#include "Box.h"
#include "Manager.h"
#include "ObjectList.h"
#include "SceneGraph.h"
#include "Vector.h"

#include <string>
#include <unordered_set>

namespace qv
{

class Object;

/// Owns the game world: every object from its construction (which inserts it here) until the end
/// of the pass in which game code marked it with `markForDelete`, or until shut-down. The game
/// manager calls `update` and then `draw` once per loop pass: `update` moves every active object
/// by its velocity, hands collision and out-of-world events straight to the objects concerned and
/// deletes the marked objects; `draw` draws the visible objects layer by layer. The world manager
/// also keeps the view, the part of the world shown, and can scroll it after one object.
///
/// Game events (any name but the engine's own) are registered with it through
/// `Object::registerInterest` and sent with its `onEvent`.
class WorldManager : public Manager
{
public:
    /// The one world manager, created on first use.
    static WorldManager &getInstance();

    /// Refuses the input and step events, and the collision and out events it hands out itself.
    bool isValid(const std::string &event_name) const override;
    /// Resets the boundary, view and slack and starts the scene graph; 0, or -1 on failure.
    int startUp() override;
    /// Deletes every remaining object, active or inactive.
    void shutDown() override;

    /// Takes ownership of `p_o` (called by its constructor); 0, or -1 when not started.
    int insertObject(Object *p_o);
    /// Forgets `p_o` without deleting it (called by its destructor); 0, or -1 if unknown.
    int removeObject(Object *p_o);
    /// Deletes `p_o` at the end of the current pass; marking twice is harmless. Never deletes at
    /// once. 0, or -1 if refused.
    int markForDelete(Object *p_o);

    /// The active solid objects other than `p_o` that its box would overlap at `where`.
    ObjectList getCollisions(const Object *p_o, const Vector &where);
    /// The active objects of `type`.
    ObjectList objectsOfType(const std::string &type);
    /// The scene graph that stores the objects; `Object`'s mutators keep it current.
    SceneGraph &getSceneGraph();

    /// Moves `p_o` to `where`, sending collision and out-of-world events and scrolling the view
    /// after a followed object; 0 if it moved, -1 if it was blocked or refused.
    int moveObject(Object *p_o, Vector where);
    /// One pass: moves every active object by its velocity, walks paths, applies accelerations,
    /// then deletes the objects marked for deletion.
    void update();
    /// Draws the visible objects inside the view, lowest altitude first.
    void draw();

    /// The world's extent, cells; its corner is taken to be (0, 0).
    Box getBoundary() const;
    /// Sets the world's extent; leaving it sends the mover an out event.
    void setBoundary(Box new_boundary);
    /// The part of the world shown, cells.
    Box getView() const;
    /// Sets the part of the world shown.
    void setView(Box new_view);
    /// The object the view follows, or null.
    Object *getViewFollowing() const;
    /// Centres the view on `p_new_view_following` and keeps following it; null stops following.
    /// 0, or -1 (nothing changed) for an object the world does not hold.
    int setViewFollowing(Object *p_new_view_following);
    /// Centres the view on `view_position`, keeping it inside the boundary.
    void setViewPosition(Vector view_position);
    /// The dead zone around the view centre, fractions of the view.
    Vector getViewSlack() const;
    /// Fractions (0 to 1) of the view around its centre in which a followed object moves without
    /// scrolling; values out of range are stored after a warning.
    void setViewSlack(Vector new_view_slack);

private:
    WorldManager();

    SceneGraph scene_graph;                    // every object in the world, indexed
    ObjectList deletions;                      // objects marked for deletion this pass, in marking order
    std::unordered_set<const Object *> marked; // the objects in `deletions`
    Object *view_following;                    // the object the view scrolls after, or null
    Box boundary;                              // the world's extent, cells
    Box view;                                  // the part of the world shown, cells
    Vector view_slack;                         // dead zone around the view centre, fractions of the view
};

} // namespace qv
