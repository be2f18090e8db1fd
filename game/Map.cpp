#include "Map.h"

#include "EventDeleteInstance.h"
#include "EventGameOver.h"
#include "EventStairs.h"
#include "Food.h"
#include "Hero.h"
#include "LogManager.h"
#include "Monster.h"
#include "Stairs.h"
#include "Wall.h"
#include "WorldManager.h"

#include <cstdlib>

namespace
{

qv::Vector spaceCentre(const Space &space)
{
    return qv::Vector(SPACE_WIDTH * space.cell.getX() + SPACE_WIDTH / 2,
                      SPACE_HEIGHT * space.cell.getY() + SPACE_HEIGHT / 2);
}

bool insideGrid(qv::Vector cell)
{
    return cell.getX() >= 0 && cell.getX() < MAP_COLUMNS && cell.getY() >= 0 && cell.getY() < MAP_ROWS;
}

// Where the i-th monster or food of a room may stand, relative to the room's corner: a row
// base and a range of rows, then a column base and a range of columns.
struct Spot
{
    int y;       // first row, cells from the room's top
    int y_range; // rows to choose from
    int x;       // first column, cells from the room's left
    int x_range; // columns to choose from
};

// Indexed by the item's number in its room minus one: rooms with n items place items n, n-1, ..., 1.
const Spot MONSTER_SPOTS[3] = {{17, 2, 15, 4}, {17, 2, 60, 10}, {9, 2, 60, 10}};
const Spot FOOD_SPOTS[3] = {{9, 2, 60, 5}, {17, 2, 60, 5}, {17, 2, 15, 4}};

// Draws a position from `spot` in `space`: the row offset first, then the column offset, as the
// floors of a seed depend on that order.
qv::Vector drawSpot(const Spot &spot, const Space &space)
{
    const int y = SPACE_HEIGHT * static_cast<int>(space.cell.getY()) + spot.y + std::rand() % spot.y_range;
    const int x = SPACE_WIDTH * static_cast<int>(space.cell.getX()) + spot.x + std::rand() % spot.x_range;
    return qv::Vector(x, y);
}

} // namespace

Space::Space(int init_kind, qv::Vector init_cell) : kind(init_kind), cell(init_cell)
{
    const float column = cell.getX();
    const float row = cell.getY();
    doors.push_back(Door{qv::Vector(column - 1, row), false});
    doors.push_back(Door{qv::Vector(column + 1, row), false});
    doors.push_back(Door{qv::Vector(column, row - 1), false});
    doors.push_back(Door{qv::Vector(column, row + 1), false});
}

void Space::setDoor(const Door &door)
{
    for (std::size_t i = 0; i < doors.size();)
    {
        if (doors[i].neighbour == door.neighbour)
            doors.erase(doors.begin() + static_cast<long>(i));
        else
            i++;
    }
    doors.push_back(door);
}

Map::Map()
{
    setType("map");
    registerInterest(STAIRS_EVENT);
    registerInterest(DELETE_EVENT);
    registerInterest(GAME_OVER_EVENT);
}

void Map::generate(Hero *p_hero)
{
    qv::LogManager &log_manager = qv::LogManager::getInstance();
    log_manager.writeLog("===GENERATING MAP===");
    hero = p_hero;
    reset();
    log_manager.writeLog("INITIALIZED");

    qv::Vector start;
    while (true)
    {
        const int column = std::rand() % MAP_COLUMNS;
        const int row = std::rand() % MAP_ROWS;
        start = qv::Vector(column, row);
        addSpace(Space(ROOM, start));
        if (hero != nullptr)
        {
            hero->setPosition(qv::Vector(SPACE_WIDTH * column + 10, SPACE_HEIGHT * row + 5));
            qv::WorldManager::getInstance().setViewFollowing(hero);
        }
        // The stairs must go into a room other than the start; a walk that made none would leave
        // placeStairs failing for ever, so such a floor is laid out afresh.
        if (walk(start))
            break;
        log_manager.writeLog("Map::generate(): No room besides the start room; walking again.");
        spaces.clear();
    }

    while (!placeStairs(start))
    {
    }
    placeMonsters();
    placeFood();
    for (Space &space : spaces)
    {
        if (space.kind == ROOM)
            buildRoomWalls(space);
        else if (space.kind == CORRIDOR)
            buildCorridorWalls(space);
    }
    log_manager.writeLog("DONE CREATING LEVEL GEOMETRY");
}

bool Map::walk(qv::Vector start)
{
    qv::Vector current = start;
    int steps = 0;
    while (steps < WALK_STEPS)
    {
        const qv::Vector next = randomStep(current);
        if (next != current)
        {
            current = next;
            steps++;
        }
    }
    for (const Space &space : spaces)
        if (space.kind == ROOM && space.cell != start)
            return true;
    return false;
}

qv::Vector Map::randomStep(qv::Vector current)
{
    const int d = std::rand() % 4;
    qv::Vector candidate = current;
    if (d == 0)
        candidate.setX(current.getX() + 1);
    else if (d == 1)
        candidate.setX(current.getX() - 1);
    else if (d == 2)
        candidate.setY(current.getY() + 1);
    else
        candidate.setY(current.getY() - 1);
    if (!insideGrid(candidate))
        return current;

    const qv::Vector neighbours[] = {
        qv::Vector(candidate.getX() + 1, candidate.getY()), qv::Vector(candidate.getX() - 1, candidate.getY()),
        qv::Vector(candidate.getX(), candidate.getY() + 1), qv::Vector(candidate.getX(), candidate.getY() - 1)};
    bool corridor = false;
    for (const qv::Vector &neighbour : neighbours)
    {
        if (findSpace(neighbour).kind == ROOM)
        {
            corridor = true;
            break;
        }
    }
    if (std::rand() % 3 == 0)
        corridor = true;
    if (findSpace(candidate).kind == NO_SPACE)
        addSpace(Space(corridor ? CORRIDOR : ROOM, candidate));
    connectSpaces(current, candidate);
    return candidate;
}

bool Map::placeStairs(qv::Vector start)
{
    qv::LogManager &log_manager = qv::LogManager::getInstance();
    for (const Space &space : spaces)
    {
        if (space.kind != ROOM || space.cell == start)
            continue;
        if (std::rand() % 2 != 0)
            continue;
        const int column = static_cast<int>(space.cell.getX());
        const int row = static_cast<int>(space.cell.getY());
        Stairs *p_stairs = new Stairs;
        p_stairs->setPosition(qv::Vector(SPACE_WIDTH * column + 10, SPACE_HEIGHT * row + 5));
        log_manager.writeLog("Made a stairs.");
        stairs = p_stairs;
        log_manager.writeLog("Placed stairs in room (%d, %d)", column, row);
        return true;
    }
    return false;
}

void Map::placeMonsters()
{
    for (const Space &space : spaces)
    {
        if (space.kind != ROOM)
            continue;
        for (int i = std::rand() % 4; i >= 1; i--)
        {
            Monster *p_monster = new Monster(hero);
            p_monster->setPosition(drawSpot(MONSTER_SPOTS[i - 1], space));
            monsters.push_back(p_monster);
        }
    }
}

void Map::placeFood()
{
    for (const Space &space : spaces)
    {
        if (space.kind != ROOM)
            continue;
        for (int i = std::rand() % 4; i >= 1; i--)
        {
            // The kind is drawn before the spot.
            const int kind = std::rand() % 3;
            Food *p_food = new Food(kind);
            p_food->setPosition(drawSpot(FOOD_SPOTS[i - 1], space));
            foods.push_back(p_food);
        }
    }
}

void Map::buildRoomWalls(Space &space)
{
    const qv::Vector centre = spaceCentre(space);
    const float cx = centre.getX();
    const float cy = centre.getY();
    const std::vector<Door> doors = space.doors;
    for (const Door &door : doors)
    {
        const int dx = static_cast<int>(door.neighbour.getX() - space.cell.getX());
        const int dy = static_cast<int>(door.neighbour.getY() - space.cell.getY());
        const int ax = std::abs(dx);
        const int ay = std::abs(dy);
        if (!door.open)
        {
            addWall(space, ay * SPACE_WIDTH, ax * SPACE_HEIGHT,
                    qv::Vector(static_cast<int>(cx + 40 * dx), static_cast<int>(cy + 12 * dy)));
            continue;
        }
        const int width = static_cast<int>((ay * SPACE_WIDTH) / 3);
        const int height = static_cast<int>((ax * SPACE_HEIGHT) / 3);
        addWall(space, width, height, qv::Vector(cx + 25 * dy + 40 * dx, cy + 7.5f * dx + 12 * dy));
        addWall(space, width, height, qv::Vector(cx - 25 * dy + 40 * dx, cy - 7.5f * dx + 12 * dy));
    }
}

void Map::buildCorridorWalls(Space &space)
{
    const qv::Vector centre = spaceCentre(space);
    const float cx = centre.getX();
    const float cy = centre.getY();
    const std::vector<Door> doors = space.doors;
    for (const Door &door : doors)
    {
        const int dx = static_cast<int>(door.neighbour.getX() - space.cell.getX());
        const int dy = static_cast<int>(door.neighbour.getY() - space.cell.getY());
        const int ax = std::abs(dx);
        const int ay = std::abs(dy);
        if (!door.open)
        {
            addWall(space, ay * 20, ax * 6, qv::Vector(static_cast<int>(cx + 10 * dx), static_cast<int>(cy + 3 * dy)));
            continue;
        }
        addWall(space, ax * 30, ay * 9, qv::Vector(cx + 25 * dx + 10 * dy, cy + 7.5f * dy + 3 * dx));
        addWall(space, ax * 30, ay * 9, qv::Vector(cx + 25 * dx - 10 * dy, cy + 7.5f * dy - 3 * dx));
    }
}

void Map::addWall(Space &space, int width, int height, qv::Vector position)
{
    Wall *p_wall = new Wall(width, height);
    p_wall->setPosition(position);
    space.walls.push_back(p_wall);
}

void Map::reset()
{
    qv::WorldManager &world_manager = qv::WorldManager::getInstance();
    qv::LogManager &log_manager = qv::LogManager::getInstance();
    while (!spaces.empty())
    {
        for (Wall *p_wall : spaces.back().walls)
            world_manager.markForDelete(p_wall);
        spaces.pop_back();
    }
    if (stairs != nullptr)
        world_manager.markForDelete(stairs);
    // Only the world manager's deletion list may still name the old stairs.
    stairs = nullptr;
    log_manager.writeLog("DELETING MONSTERS");
    for (Monster *p_monster : monsters)
    {
        log_manager.writeLog("Deleting a monster");
        world_manager.markForDelete(p_monster);
    }
    monsters.clear();
    for (Food *p_food : foods)
    {
        world_manager.markForDelete(p_food);
        log_manager.writeLog("Deleting a food");
    }
    foods.clear();
}

int Map::eventHandler(const qv::Event *p_event)
{
    const std::string type = p_event->getType();
    if (type == STAIRS_EVENT)
    {
        generate(hero);
        return 1;
    }
    if (type == DELETE_EVENT)
    {
        const EventDeleteInstance *p_delete = dynamic_cast<const EventDeleteInstance *>(p_event);
        if (p_delete == nullptr || p_delete->getObject() == nullptr)
            return 1;
        qv::Object *p_o = p_delete->getObject();
        qv::WorldManager &world_manager = qv::WorldManager::getInstance();
        if (p_o->getType() == "Food")
        {
            for (std::size_t i = 0; i < foods.size();)
            {
                if (foods[i]->getId() != p_o->getId())
                {
                    i++;
                    continue;
                }
                world_manager.markForDelete(foods[i]);
                qv::LogManager::getInstance().writeLog("Deleting a fruit from the list");
                foods.erase(foods.begin() + static_cast<long>(i));
            }
        }
        if (p_o->getType() == "Monster")
        {
            for (std::size_t i = 0; i < monsters.size();)
            {
                if (monsters[i]->getId() != p_o->getId())
                {
                    i++;
                    continue;
                }
                world_manager.markForDelete(monsters[i]);
                qv::LogManager::getInstance().writeLog("Deleting a monster from the list");
                monsters.erase(monsters.begin() + static_cast<long>(i));
            }
        }
        return 1;
    }
    if (type == GAME_OVER_EVENT)
    {
        reset();
        return 0;
    }
    return 0;
}

Space Map::findSpace(qv::Vector cell) const
{
    for (const Space &space : spaces)
        if (space.cell == cell)
            return space;
    return Space(NO_SPACE, qv::Vector(-1, -1));
}

void Map::addSpace(const Space &space)
{
    std::vector<Space> kept;
    for (const Space &other : spaces)
        if (other.cell != space.cell)
            kept.push_back(other);
    kept.push_back(space);
    spaces = kept;
}

int Map::connectSpaces(qv::Vector a, qv::Vector b)
{
    qv::LogManager &log_manager = qv::LogManager::getInstance();
    const int distance =
        std::abs(static_cast<int>(a.getX() - b.getX())) + std::abs(static_cast<int>(a.getY() - b.getY()));
    if (distance != 1)
    {
        log_manager.writeLog("Error connecting spaces: spaces must be adjacent");
        return -1;
    }
    Space space_a = findSpace(a);
    Space space_b = findSpace(b);
    // Connecting a cell without a space would file a made-up space under (-1, -1).
    if (space_a.kind == NO_SPACE || space_b.kind == NO_SPACE)
    {
        log_manager.writeLog("Error connecting spaces: no space at (%d, %d)",
                             static_cast<int>(space_a.kind == NO_SPACE ? a.getX() : b.getX()),
                             static_cast<int>(space_a.kind == NO_SPACE ? a.getY() : b.getY()));
        return -1;
    }
    space_a.setDoor(Door{b, true});
    space_b.setDoor(Door{a, true});
    addSpace(space_a);
    addSpace(space_b);
    return 1;
}

void Map::setHero(Hero *p_new_hero)
{
    hero = p_new_hero;
}

Hero *Map::getHero() const
{
    return hero;
}

const std::vector<Space> &Map::getSpaces() const
{
    return spaces;
}

Stairs *Map::getStairs() const
{
    return stairs;
}

const std::vector<Monster *> &Map::getMonsters() const
{
    return monsters;
}

const std::vector<Food *> &Map::getFoods() const
{
    return foods;
}
