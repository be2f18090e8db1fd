#pragma once

#include "Object.h"
#include "ObjectList.h"
#include "Vector.h"

#include <map>
#include <string>

namespace qv
{

/// The world manager's index of its objects: every active object, the solid ones, the visible
/// ones per altitude, the inactive ones, and the active ones by type. It holds pointers only.
///
/// `Object`'s mutators call the `update...` operations before changing the field that decides
/// where the object is stored, and give the change up when they return -1. Queries return copies,
/// which callers may walk while objects change. Once the game is over (objects are being torn
/// down), most store failures are ignored without a message.
class SceneGraph
{
public:
    /// Empty stores.
    SceneGraph() = default;

    /// Empties the type map and reports the configuration; always 0.
    int startUp();
    /// Empties the type map.
    void shutDown();

    /// Files `p_o` in every store its fields call for; 0, or -1 if a store refused it.
    int insertObject(Object *p_o);
    /// Takes `p_o` out of every store it is in; 0, or -1 if it was missing from one.
    int removeObject(Object *p_o);

    /// Every active object.
    ObjectList activeObjects() const;
    /// Every inactive object.
    ObjectList inactiveObjects() const;
    /// The active, visible objects at `altitude` (0 to `MAX_ALTITUDE`); empty for other altitudes.
    ObjectList visibleObjects(int altitude) const;
    /// The active objects of `type`.
    ObjectList objectsOfType(const std::string &type);
    /// The active solid objects, in the order `getCollisions` meets them.
    ObjectList solidObjects() const;
    /// The active solid objects other than `p_o` whose boxes overlap `p_o`'s box placed at `where`.
    ObjectList getCollisions(const Object *p_o, const Vector &where) const;

    /// Moves `p_o` between the visible stores; call before changing its altitude.
    int updateAltitude(Object *p_o, int new_altitude);
    /// Moves `p_o` in or out of the solid store; call before changing its solidness.
    int updateSolidness(Object *p_o, Solidness new_solidness);
    /// Moves `p_o` in or out of its visible store; call before changing its visibility.
    int updateVisible(Object *p_o, bool new_visible);
    /// Moves `p_o` between the active and inactive stores; call before changing its activity.
    int updateActive(Object *p_o, bool new_active);
    /// Refiles `p_o` in the type map; call before changing its type.
    int updateType(Object *p_o, const std::string &new_type);

    /// Counts a change of a HARD object that the stores do not see (a move, a box taken from an
    /// animation). Insertions, removals and changes of activity or solidness count themselves.
    void countHardChange();
    /// Changes so far that may have altered which cells HARD objects block; a path search keeps
    /// its memo of blocked cells only while this stays the same.
    unsigned long getHardChanges() const;

private:
    SceneGraph(const SceneGraph &) = delete;
    SceneGraph &operator=(const SceneGraph &) = delete;

    void countIfHard(const Object *p_o);

    ObjectList objects;                           // active objects
    ObjectList solid_objects;                     // active HARD and SOFT objects
    ObjectList visible_objects[MAX_ALTITUDE + 1]; // active visible objects, by altitude
    ObjectList inactive_objects;                  // inactive objects
    std::map<std::string, ObjectList> type_map;   // active objects, by type
    unsigned long hard_changes = 0;               // changes of HARD objects, counted
};

} // namespace qv
