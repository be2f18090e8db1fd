#include "SceneGraph.h"

#include "Config.h"
#include "GameManager.h"
#include "LogManager.h"
#include "ObjectListIterator.h"
#include "geometry.h"

namespace qv
{

namespace
{

// Moves of HARD objects kept in the record, so that a map of blocked cells can catch up with them.
const std::size_t MOVES_KEPT = 1024;

// Once the game is over, objects are torn down in whatever state they are in: store failures
// then are expected and neither reported nor counted.
bool failuresCount()
{
    return !GameManager::getInstance().getGameOver();
}

bool altitudeInRange(int altitude)
{
    return altitude >= 0 && altitude <= MAX_ALTITUDE;
}

int reportFailedRemoval(int id, const Object *p_o)
{
    LogManager::getInstance().writeLog("SceneGraph::removeObject(): Error removing Object (id %d)! Pointer is %p.", id,
                                       static_cast<const void *>(p_o));
    return -1;
}

bool refuseNull(const Object *p_o, const char *operation)
{
    if (p_o != nullptr)
        return false;
    LogManager::getInstance().writeLog("SceneGraph::%s(): Error! Null object.", operation);
    return true;
}

} // namespace

int SceneGraph::startUp()
{
    sweep();
    type_map.clear();
    const Config &config = Config::getInstance();
    setGrid(config.getGridWidth(), config.getGridHeight());
    if (isGridOn())
        LogManager::getInstance().writeLog(1, "Scenegraph configuration: GRID of %d x %d cells", grid_cell_width,
                                           grid_cell_height);
    else
        LogManager::getInstance().writeLog(1, "Scenegraph configuration: SIMPLE");
    return 0;
}

void SceneGraph::shutDown()
{
    sweep();
    type_map.clear();
}

int SceneGraph::insertObject(Object *p_o)
{
    if (refuseNull(p_o, "insertObject"))
        return -1;
    // The address may be that of an object just removed and not yet swept.
    sweep();
    LogManager &log = LogManager::getInstance();
    countIfHard(p_o);
    if (!p_o->isActive())
        return inactive_objects.insert(p_o);
    if (objects.insert(p_o) == -1)
    {
        log.writeLog("SceneGraph::insertObject(): Error! unable to insert active Object (id %d)", p_o->getId());
        return -1;
    }
    if (type_map[p_o->getType()].insert(p_o) == -1)
    {
        log.writeLog("SceneGraph::insertObject(): Error! unable to insert Object (id %d) into type map", p_o->getId());
        return -1;
    }
    if (p_o->isSolid())
    {
        if (solid_objects.insert(p_o) == -1)
        {
            log.writeLog("SceneGraph::insertObject(): Error! unable to insert solid Object (id %d)", p_o->getId());
            return -1;
        }
        fileSolid(p_o);
    }
    if (p_o->isVisible())
    {
        const int altitude = p_o->getAltitude();
        if (!altitudeInRange(altitude))
        {
            log.writeLog("SceneGraph::insertObject(): Warning! Altitude %d not in range [%d,%d]", altitude, 0,
                         MAX_ALTITUDE);
            return -1;
        }
        if (visible_objects[altitude].insert(p_o) == -1)
        {
            log.writeLog("SceneGraph::insertObject(): Error! unable to insert visible object (id %d)", p_o->getId());
            return -1;
        }
    }
    return 0;
}

int SceneGraph::removeObject(Object *p_o)
{
    if (refuseNull(p_o, "removeObject"))
        return -1;
    countIfHard(p_o);
    if (noting)
    {
        // Noted twice is removed twice: the second fails, as it would in the stores.
        if (!leaving.emplace(p_o, p_o->getId()).second)
            return failuresCount() ? reportFailedRemoval(p_o->getId(), p_o) : 0;
        // The grid is kept exact at once, so collision queries need not skip what is leaving.
        if (p_o->isActive() && p_o->isSolid())
            unfileSolid(p_o);
        return 0;
    }
    bool failed = false;
    if (p_o->isActive())
    {
        failed |= objects.remove(p_o) == -1;
        failed |= type_map[p_o->getType()].remove(p_o) == -1;
        if (p_o->isVisible())
        {
            const int altitude = p_o->getAltitude();
            failed |= !altitudeInRange(altitude) || visible_objects[altitude].remove(p_o) == -1;
        }
        if (p_o->isSolid())
        {
            failed |= solid_objects.remove(p_o) == -1;
            unfileSolid(p_o);
        }
    }
    else
    {
        failed = inactive_objects.remove(p_o) == -1;
    }
    if (!failed || !failuresCount())
        return 0;
    return reportFailedRemoval(p_o->getId(), p_o);
}

void SceneGraph::beginRemovals()
{
    noting = true;
}

void SceneGraph::endRemovals()
{
    sweep();
    noting = false;
}

// Only the addresses of the objects leaving are compared: they may be deleted by now.
void SceneGraph::sweep()
{
    if (leaving.empty())
        return;
    std::unordered_map<const Object *, int> unseen = leaving;
    const auto clear = [this, &unseen](ObjectList &store)
    {
        ObjectList kept;
        for (int i = 0; i < store.getCount(); i++)
        {
            Object *p_o = store.itemAt(i);
            if (leaving.count(p_o) == 0)
                kept.insert(p_o);
            else
                unseen.erase(p_o);
        }
        store = std::move(kept);
    };
    clear(objects);
    clear(inactive_objects);
    // Every object known is in one of the two above; the others hold some of them.
    const std::unordered_map<const Object *, int> missing = unseen;
    clear(solid_objects);
    for (ObjectList &visible : visible_objects)
        clear(visible);
    for (auto &entry : type_map)
        clear(entry.second);
    leaving.clear();
    if (failuresCount())
        for (const auto &[p_o, id] : missing)
            reportFailedRemoval(id, p_o);
}

ObjectList SceneGraph::present(const ObjectList &store) const
{
    if (leaving.empty())
        return store;
    ObjectList kept;
    for (int i = 0; i < store.getCount(); i++)
        if (leaving.count(store.itemAt(i)) == 0)
            kept.insert(store.itemAt(i));
    return kept;
}

ObjectList SceneGraph::activeObjects() const
{
    return present(objects);
}

ObjectList SceneGraph::inactiveObjects() const
{
    return present(inactive_objects);
}

ObjectList SceneGraph::visibleObjects(int altitude) const
{
    if (!altitudeInRange(altitude))
    {
        LogManager::getInstance().writeLog("SceneGraph::visibleObjects(): Warning! altitude %d not in [%d,%d].",
                                           altitude, 0, MAX_ALTITUDE);
        return ObjectList();
    }
    return present(visible_objects[altitude]);
}

ObjectList SceneGraph::objectsOfType(const std::string &type)
{
    return present(type_map[type]);
}

ObjectList SceneGraph::solidObjects() const
{
    return present(solid_objects);
}

ObjectList SceneGraph::getCollisions(const Object *p_o, const Vector &where) const
{
    ObjectList collisions;
    if (refuseNull(p_o, "getCollisions"))
        return collisions;
    query(getWorldBox(p_o, where), p_o, collisions);
    return collisions;
}

ObjectList SceneGraph::solidObjectsIn(const Box &area) const
{
    ObjectList found;
    query(area, nullptr, found);
    return found;
}

void SceneGraph::query(const Box &area, const Object *p_skip, ObjectList &result) const
{
    if (isGridOn())
    {
        grid.query(area, p_skip, result);
        return;
    }
    ObjectListIterator it(&solid_objects);
    for (it.first(); !it.isDone(); it.next())
    {
        Object *p_other = it.currentObject();
        if (p_other != p_skip && leaving.count(p_other) == 0 && boxIntersectsBox(area, getWorldBox(p_other)))
            result.insert(p_other);
    }
}

void SceneGraph::setGrid(int cell_width, int cell_height)
{
    if (cell_width < 0 || cell_height < 0)
        LogManager::getInstance().writeLog(
            "SceneGraph::setGrid(): Warning! Grid cells of %d x %d refused; collisions scan every solid object.",
            cell_width, cell_height);
    sweep();
    const bool on = cell_width > 0 && cell_height > 0;
    grid_cell_width = on ? cell_width : 0;
    grid_cell_height = on ? cell_height : 0;
    grid.clear();
    if (!on)
        return;
    grid.layOut(boundary, static_cast<float>(grid_cell_width), static_cast<float>(grid_cell_height));
    // Filed in store order, the grid ranks them as the store does.
    ObjectListIterator it(&solid_objects);
    for (it.first(); !it.isDone(); it.next())
        grid.insert(it.currentObject());
}

void SceneGraph::setBoundary(const Box &new_boundary)
{
    boundary = new_boundary;
    if (isGridOn())
        grid.layOut(boundary, static_cast<float>(grid_cell_width), static_cast<float>(grid_cell_height));
}

const SpatialGrid &SceneGraph::getGrid() const
{
    return grid;
}

bool SceneGraph::isGridOn() const
{
    return grid_cell_width > 0;
}

void SceneGraph::fileSolid(Object *p_o)
{
    if (isGridOn())
        grid.insert(p_o);
}

void SceneGraph::unfileSolid(Object *p_o)
{
    if (isGridOn())
        grid.remove(p_o);
}

int SceneGraph::updateAltitude(Object *p_o, int new_altitude)
{
    if (refuseNull(p_o, "updateAltitude"))
        return -1;
    sweep();
    if (!p_o->isActive())
        return 0;
    LogManager &log = LogManager::getInstance();
    if (!altitudeInRange(new_altitude))
    {
        log.writeLog("SceneGraph::updateAltitude(): New altitude %d not in [%d,%d]!  No update.", new_altitude, 0,
                     MAX_ALTITUDE);
        return -1;
    }
    const int old_altitude = p_o->getAltitude();
    if (!altitudeInRange(old_altitude))
    {
        log.writeLog("SceneGraph::updateAltitude(): Old altitude %d not in [%d,%d]! This is unxepected. No update.",
                     old_altitude, 0, MAX_ALTITUDE);
        return -1;
    }
    if (!p_o->isVisible())
        return 0;
    if (visible_objects[old_altitude].remove(p_o) == -1 && failuresCount())
    {
        log.writeLog("SceneGraph::updateAltitude(): remove from old altitude (%d) failed!", old_altitude);
        return -1;
    }
    if (visible_objects[new_altitude].insert(p_o) == -1)
    {
        log.writeLog("SceneGraph::updateAltitude()): insert visible object at altitude %d failed!", new_altitude);
        return -1;
    }
    return 0;
}

int SceneGraph::updateSolidness(Object *p_o, Solidness new_solidness)
{
    if (refuseNull(p_o, "updateSolidness"))
        return -1;
    sweep();
    if (p_o->getSolidness() == HARD || new_solidness == HARD)
        countHardChange();
    if (!p_o->isActive())
        return 0;
    const bool will_be_solid = new_solidness == HARD || new_solidness == SOFT;
    if (p_o->isSolid() && new_solidness == SPECTRAL)
    {
        unfileSolid(p_o);
        if (solid_objects.remove(p_o) == -1 && failuresCount())
            LogManager::getInstance().writeLog("SceneGraph::updateSolidness(): unable to remove solid object (%s)",
                                               p_o->getType().c_str());
    }
    else if (!p_o->isSolid() && will_be_solid)
    {
        if (solid_objects.insert(p_o) == -1 && failuresCount())
        {
            LogManager::getInstance().writeLog("SceneGraph::updateSolidness(): Error! unable to insert solid object");
            return -1;
        }
        fileSolid(p_o);
    }
    return 0;
}

int SceneGraph::updateVisible(Object *p_o, bool new_visible)
{
    if (refuseNull(p_o, "updateVisible"))
        return -1;
    sweep();
    if (!p_o->isActive() || p_o->isVisible() == new_visible)
        return 0;
    const int altitude = p_o->getAltitude();
    if (!altitudeInRange(altitude))
    {
        // Only a corrupted object gets here; refusing keeps the array index in bounds.
        LogManager::getInstance().writeLog("SceneGraph::updateVisible(): Warning! altitude %d not in [%d,%d].",
                                           altitude, 0, MAX_ALTITUDE);
        return -1;
    }
    if (!new_visible)
    {
        if (visible_objects[altitude].remove(p_o) == -1 && failuresCount())
        {
            LogManager::getInstance().writeLog("SceneGraph::updateVisible(): unable to remove visible object (%s)",
                                               p_o->getType().c_str());
            return -1;
        }
        return 0;
    }
    if (visible_objects[altitude].insert(p_o) == -1 && failuresCount())
    {
        LogManager::getInstance().writeLog("SceneGraph::updateVisible(): unable to add visible object (%s)",
                                           p_o->getType().c_str());
        return -1;
    }
    return 0;
}

int SceneGraph::updateActive(Object *p_o, bool new_active)
{
    if (refuseNull(p_o, "updateActive"))
        return -1;
    sweep();
    if (p_o->isActive() == new_active)
        return 0;
    countIfHard(p_o);
    LogManager &log = LogManager::getInstance();
    const std::string type = p_o->getType();
    const int altitude = p_o->getAltitude();
    bool failed = false;
    // Every step is tried even after one fails, so that the stores stay as close to the rule as
    // they can; each failure is reported on its own.
    auto step = [&](bool step_failed, const char *message)
    {
        if (!step_failed || !failuresCount())
            return;
        log.writeLog(message, type.c_str());
        failed = true;
    };
    if (!new_active)
    {
        step(objects.remove(p_o) == -1, "SceneGraph::updateActive(): remove object (%s) failed for objects!");
        if (type_map[type].remove(p_o) == -1 && failuresCount())
            failed = true;
        if (p_o->isVisible())
            step(!altitudeInRange(altitude) || visible_objects[altitude].remove(p_o) == -1,
                 "SceneGraph::updateActive(): remove visible object (%s) failed for visible_objects!");
        if (p_o->isSolid())
        {
            step(solid_objects.remove(p_o) == -1,
                 "SceneGraph::updateActive(): remove object (%s) failed for solid_objects!");
            unfileSolid(p_o);
        }
        step(inactive_objects.insert(p_o) == -1,
             "SceneGraph::updateActive(): insert object (%s) failed for inactive_objects!");
        return failed ? -1 : 0;
    }
    step(objects.insert(p_o) == -1, "SceneGraph::updateActive(): insert Object (%s) failed for objects!");
    if (type_map[type].insert(p_o) == -1)
    {
        log.writeLog("SceneGraph::updateActive(): Error! insert Object (%s) failed for type map!", type.c_str());
        return -1;
    }
    if (p_o->isVisible())
        step(!altitudeInRange(altitude) || visible_objects[altitude].insert(p_o) == -1,
             "SceneGraph::updateActive(): insert Object (%s) failed for visible_objects!");
    if (p_o->isSolid())
    {
        step(solid_objects.insert(p_o) == -1,
             "SceneGraph::updateActive(): insert object (%s) failed for solid_objects!");
        fileSolid(p_o);
    }
    step(inactive_objects.remove(p_o) == -1,
         "SceneGraph::updateActive(): remove object (%s) failed for inactive_objects!");
    return failed ? -1 : 0;
}

void SceneGraph::updatePlace(Object *p_o)
{
    if (p_o == nullptr)
        return;
    if (p_o->getSolidness() == HARD)
    {
        hard_changes++;
        // Kept short: past so many moves a map of blocked cells is quicker made afresh anyway.
        if (hard_moves.size() == MOVES_KEPT)
        {
            hard_moves.clear();
            moves_from = hard_changes;
        }
        else
        {
            hard_moves.push_back(p_o);
        }
    }
    if (isGridOn() && p_o->isActive() && p_o->isSolid())
        grid.refile(p_o);
}

unsigned long SceneGraph::getHardChanges() const
{
    return hard_changes;
}

bool SceneGraph::hardMovesSince(unsigned long since, std::vector<const Object *> *p_moved) const
{
    p_moved->clear();
    if (since < moves_from || since > hard_changes)
        return false;
    // Every change since `moves_from` is a move, recorded in turn.
    p_moved->assign(hard_moves.begin() + static_cast<std::ptrdiff_t>(since - moves_from), hard_moves.end());
    return true;
}

void SceneGraph::countIfHard(const Object *p_o)
{
    if (p_o->getSolidness() == HARD)
        countHardChange();
}

void SceneGraph::countHardChange()
{
    hard_changes++;
    hard_moves.clear();
    moves_from = hard_changes;
}

int SceneGraph::updateType(Object *p_o, const std::string &new_type)
{
    if (refuseNull(p_o, "updateType"))
        return -1;
    sweep();
    LogManager &log = LogManager::getInstance();
    const std::string old_type = p_o->getType();
    if (type_map[old_type].remove(p_o) == -1)
    {
        log.writeLog("SceneGraph::updateType(): Error! Unable to remove Object (%d) type %s", p_o->getId(),
                     old_type.c_str());
        return -1;
    }
    if (type_map[new_type].insert(p_o) == -1)
    {
        log.writeLog("SceneGraph::updateType(): Error! Unable to insert Object (%d) type %s", p_o->getId(),
                     old_type.c_str());
        return -1;
    }
    return 0;
}

} // namespace qv
