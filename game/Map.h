#pragma once

#include "Object.h"
#include "Vector.h"

#include <vector>

class Food;
class Hero;
class Monster;
class Stairs;
class Wall;

/// Grid columns of spaces on a floor.
const int MAP_COLUMNS = 8;
/// Grid rows of spaces on a floor.
const int MAP_ROWS = 4;
/// Width of one space, cells.
const int SPACE_WIDTH = 80;
/// Height of one space, cells.
const int SPACE_HEIGHT = 24;
/// Grid steps of the random walk that lays out a floor.
const int WALK_STEPS = 28;

/// Kinds of space; -1 marks a space that is not there.
enum SpaceKind
{
    NO_SPACE = -1,
    ROOM = 0,
    CORRIDOR = 1,
};

/// One side of a space: the grid cell beyond it, and whether a passage leads there.
struct Door
{
    qv::Vector neighbour; // grid cell on that side (column, row)
    bool open;            // a passage leads to the neighbour
};

/// One cell of the floor's grid: a room or a corridor with its four sides.
struct Space
{
    /// A closed space of `init_kind` at grid cell `init_cell`: doors left, right, up, down.
    Space(int init_kind, qv::Vector init_cell);

    /// Replaces the door towards the same neighbour, moving it to the end of `doors`.
    void setDoor(const Door &door);

    int kind;                  // ROOM, CORRIDOR, or NO_SPACE
    std::vector<Door> doors;   // one per side
    qv::Vector cell;           // grid column (0..7) and row (0..3)
    std::vector<Wall *> walls; // built for this space; owned by the world manager
};

/// Lays out the floors of the dungeon and owns them: rooms and corridors on an 8 x 4 grid of
/// spaces 80 x 24 cells each, joined by a random walk, closed in by walls with gaps at the open
/// doors, with stairs in a room other than the start and monsters and food in the rooms.
/// Generation draws its random numbers with `rand()` in a fixed order, so the same seed gives
/// the same floor. A new floor replaces the last one on "event_stairs"; "game-over" clears it.
class Map : public qv::Object
{
public:
    /// An empty map of type "map", interested in "event_stairs", "delete_event" and "game-over".
    Map();

    /// Builds a new floor around `p_hero` (not owned), placing the hero in the start room and
    /// making the view follow it.
    void generate(Hero *p_hero);
    /// Removes the current floor: its walls, stairs, monsters and food are marked for deletion.
    void reset();
    /// Handles "event_stairs", "delete_event" and "game-over"; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;

    /// A copy of the first space at `cell`, or a `NO_SPACE` space at (-1, -1).
    Space findSpace(qv::Vector cell) const;
    /// Replaces any space at the same cell and appends `space` at the end of the list.
    void addSpace(const Space &space);
    /// Opens the doors between two spaces next to each other; 1, or -1 with a log line if they
    /// are not neighbours or either is missing.
    int connectSpaces(qv::Vector a, qv::Vector b);

    /// Sets the hero that floors are built around (not owned).
    void setHero(Hero *p_new_hero);
    /// The hero floors are built around.
    Hero *getHero() const;
    /// The floor's spaces, in list order.
    const std::vector<Space> &getSpaces() const;
    /// The current stairs, or null. Owned by the world manager.
    Stairs *getStairs() const;
    /// The floor's monsters. Owned by the world manager.
    const std::vector<Monster *> &getMonsters() const;
    /// The floor's food. Owned by the world manager.
    const std::vector<Food *> &getFoods() const;

private:
    bool walk(qv::Vector start);
    qv::Vector randomStep(qv::Vector current);
    bool placeStairs(qv::Vector start);
    void placeMonsters();
    void placeFood();
    void buildRoomWalls(Space &space);
    void buildCorridorWalls(Space &space);
    void addWall(Space &space, int width, int height, qv::Vector position);

    std::vector<Space> spaces;       // the floor, in list order
    Hero *hero = nullptr;            // not owned
    Stairs *stairs = nullptr;        // current stairs, or null; owned by the world manager
    std::vector<Monster *> monsters; // owned by the world manager
    std::vector<Food *> foods;       // owned by the world manager
};
