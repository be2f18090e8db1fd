#pragma once

#include "Object.h"
#include "ObjectList.h"
#include "SpatialGrid.h"
#include "Vector.h"

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace qv
{

/// The world manager's index of its objects: every active object, the solid ones, the visible
/// ones per altitude, the inactive ones, and the active ones by type. It holds pointers only.
///
/// The solid objects are also filed in a spatial grid over the world boundary, buckets of
/// "grid_width" x "grid_height" cells from the configuration, so that a collision query looks
/// only at the objects near the box asked about; it returns what a scan of the solid store would,
/// in the same order. A bucket size of 0 turns the grid off, and queries scan the store.
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

    /// Empties the type map, lays out the grid from the configuration and reports it; always 0.
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
    /// The active solid objects whose world boxes overlap `area`, in the order of `solidObjects`.
    ObjectList solidObjectsIn(const Box &area) const;

    /// Buckets of `cell_width` x `cell_height` cells for the grid, refiling every solid object;
    /// 0 turns the grid off. A negative size is refused with a log line and also turns it off.
    void setGrid(int cell_width, int cell_height);
    /// Lays the grid over `boundary`, the world's extent, refiling every solid object.
    void setBoundary(const Box &boundary);
    /// The grid of solid objects; it holds none while off.
    const SpatialGrid &getGrid() const;
    /// Is the grid on?
    bool isGridOn() const;

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

    /// From now on a removal only notes the object, and the stores are swept clear of all noted
    /// objects at once: at `endRemovals`, or before any other change (queries meanwhile leave them
    /// out). Removing many objects one by one would shift whole stores each time.
    void beginRemovals();
    /// Sweeps the noted objects out of the stores, reporting any that was in none, and goes back
    /// to removing at once.
    void endRemovals();

    /// Refiles `p_o` after its position changed or it took a box without leaving the stores (from
    /// an animation), and counts the change when it is HARD. Call after changing the field.
    /// Insertions, removals and changes of activity or solidness refile and count themselves.
    void updatePlace(Object *p_o);
    /// Changes so far that may have altered which cells HARD objects block; a path search keeps
    /// its memo of blocked cells only while this stays the same.
    unsigned long getHardChanges() const;
    /// Sets `*p_moved` to the HARD objects that changed place since the count of changes was
    /// `since`, once per change, oldest first. False when a HARD object changed otherwise since
    /// (it came, went, or changed activity or solidness), or the moves are no longer all known.
    bool hardMovesSince(unsigned long since, std::vector<const Object *> *p_moved) const;

private:
    SceneGraph(const SceneGraph &) = delete;
    SceneGraph &operator=(const SceneGraph &) = delete;

    void countIfHard(const Object *p_o);
    /// Counts a change of a HARD object other than a move, which no list of moves can describe.
    void countHardChange();
    void fileSolid(Object *p_o);
    void unfileSolid(Object *p_o);
    void query(const Box &area, const Object *p_skip, ObjectList &result) const;
    ObjectList present(const ObjectList &store) const;
    void sweep();

    ObjectList objects;                              // active objects
    ObjectList solid_objects;                        // active HARD and SOFT objects
    ObjectList visible_objects[MAX_ALTITUDE + 1];    // active visible objects, by altitude
    ObjectList inactive_objects;                     // inactive objects
    std::map<std::string, ObjectList> type_map;      // active objects, by type
    unsigned long hard_changes = 0;                  // changes of HARD objects, counted
    std::vector<const Object *> hard_moves;          // HARD objects moved since `moves_from`, in order
    unsigned long moves_from = 0;                    // the count of changes when `hard_moves` began
    SpatialGrid grid;                                // active solid objects by place, while on
    int grid_cell_width = 0;                         // bucket width, cells; 0 when the grid is off
    int grid_cell_height = 0;                        // bucket height, cells; 0 when the grid is off
    Box boundary;                                    // the world's extent the grid covers, cells
    bool noting = false;                             // removals are noted, not made, until swept
    std::unordered_map<const Object *, int> leaving; // noted removals not yet swept, with their ids
};

} // namespace qv
