#include "EventDeleteInstance.h"
#include "EventGameOver.h"
#include "EventStairs.h"
#include "Food.h"
#include "Monster.h"
#include "Sprite.h"
#include "Stairs.h"
#include "Wall.h"
#include "test_game_support.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

namespace
{

const std::string WALK_AGAIN = "Map::generate(): No room besides the start room; walking again.";

std::string cellText(qv::Vector v)
{
    std::ostringstream out;
    out << "(" << v.getX() << "," << v.getY() << ")";
    return out.str();
}

// Everything a floor consists of, in the map's order.
std::string describe(const Map &map)
{
    std::ostringstream out;
    for (const Space &space : map.getSpaces())
    {
        out << "space " << cellText(space.cell) << " kind " << space.kind << " doors";
        for (const Door &door : space.doors)
            out << " " << cellText(door.neighbour) << (door.open ? "open" : "closed");
        out << " walls";
        for (const Wall *p_wall : space.walls)
            out << " " << p_wall->getWidth() << "x" << p_wall->getHeight() << "@" << cellText(p_wall->getPosition());
        out << "\n";
    }
    out << "stairs " << (map.getStairs() ? cellText(map.getStairs()->getPosition()) : "none") << "\n";
    for (const Monster *p_monster : map.getMonsters())
        out << "monster " << cellText(p_monster->getPosition()) << "\n";
    for (const Food *p_food : map.getFoods())
        out << "food " << p_food->getKindOfFood() << " " << cellText(p_food->getPosition()) << "\n";
    out << "hero " << cellText(map.getHero()->getPosition()) << "\n";
    return out.str();
}

// The grid cell that holds a world position.
qv::Vector cellOf(qv::Vector position)
{
    return qv::Vector(std::floor(position.getX() / SPACE_WIDTH), std::floor(position.getY() / SPACE_HEIGHT));
}

bool hasWall(const Space &space, int width, int height, float x, float y)
{
    for (const Wall *p_wall : space.walls)
        if (p_wall->getWidth() == width && p_wall->getHeight() == height && p_wall->getPosition() == qv::Vector(x, y))
            return true;
    return false;
}

// Checks the walls a space shows on the side towards `door`: a closed side is one solid wall
// (across the whole side for a room, across the corridor's 20 x 6 box for a corridor); an open
// side of a room leaves a gap in the middle of the side between two 26- or 8-long pieces, and an
// open side of a corridor runs a passage 30 long or 9 high from the box to the side.
void checkSide(const Space &space, const Door &door)
{
    const float cx = SPACE_WIDTH * space.cell.getX() + 40;
    const float cy = SPACE_HEIGHT * space.cell.getY() + 12;
    const int dx = static_cast<int>(door.neighbour.getX() - space.cell.getX());
    const int dy = static_cast<int>(door.neighbour.getY() - space.cell.getY());
    SCOPED_TRACE("space " + cellText(space.cell) + " side towards " + cellText(door.neighbour));
    const bool horizontal_side = dy != 0;
    if (space.kind == ROOM && !door.open)
        EXPECT_TRUE(horizontal_side ? hasWall(space, 80, 0, cx, cy + 12 * dy)
                                    : hasWall(space, 0, 24, cx + 40 * dx, cy));
    else if (space.kind == ROOM)
        EXPECT_TRUE(horizontal_side
                        ? hasWall(space, 26, 0, cx - 25, cy + 12 * dy) && hasWall(space, 26, 0, cx + 25, cy + 12 * dy)
                        : hasWall(space, 0, 8, cx + 40 * dx, cy - 7.5f) &&
                              hasWall(space, 0, 8, cx + 40 * dx, cy + 7.5f));
    else if (!door.open)
        EXPECT_TRUE(horizontal_side ? hasWall(space, 20, 0, cx, cy + 3 * dy) : hasWall(space, 0, 6, cx + 10 * dx, cy));
    else
        EXPECT_TRUE(horizontal_side
                        ? hasWall(space, 0, 9, cx - 10, cy + 7.5f * dy) && hasWall(space, 0, 9, cx + 10, cy + 7.5f * dy)
                        : hasWall(space, 30, 0, cx + 25 * dx, cy - 3) && hasWall(space, 30, 0, cx + 25 * dx, cy + 3));
}

// Checks every rule a generated floor keeps; `start` is the start room's cell.
void checkFloor(const Map &map, qv::Vector start)
{
    const std::vector<Space> &spaces = map.getSpaces();
    ASSERT_GE(spaces.size(), 2u);
    ASSERT_LE(spaces.size(), 29u);
    EXPECT_EQ(map.findSpace(start).kind, ROOM);

    std::set<std::pair<int, int>> cells;
    for (const Space &space : spaces)
    {
        SCOPED_TRACE("space " + cellText(space.cell));
        EXPECT_TRUE(cells.insert({static_cast<int>(space.cell.getX()), static_cast<int>(space.cell.getY())}).second)
            << "two spaces on one cell";
        EXPECT_TRUE(space.kind == ROOM || space.kind == CORRIDOR);
        ASSERT_EQ(space.doors.size(), 4u);
        int open_doors = 0;
        for (const Door &door : space.doors)
        {
            const Space beyond = map.findSpace(door.neighbour);
            EXPECT_FALSE(space.kind == ROOM && beyond.kind == ROOM) << "rooms side by side";
            if (door.open)
            {
                open_doors++;
                ASSERT_NE(beyond.kind, NO_SPACE) << "door open towards nothing";
                bool back = false;
                for (const Door &other : beyond.doors)
                    back = back || (other.neighbour == space.cell && other.open);
                EXPECT_TRUE(back) << "door open on one side only";
            }
            checkSide(space, door);
        }
        EXPECT_EQ(space.walls.size(), 4u + open_doors);
        for (const Wall *p_wall : space.walls)
        {
            EXPECT_EQ(p_wall->getType(), "Wall");
            EXPECT_EQ(p_wall->getSolidness(), qv::HARD);
        }
    }

    // Every space is reached from the start through open doors.
    std::set<std::pair<int, int>> reached = {{static_cast<int>(start.getX()), static_cast<int>(start.getY())}};
    std::vector<qv::Vector> frontier = {start};
    while (!frontier.empty())
    {
        const Space space = map.findSpace(frontier.back());
        frontier.pop_back();
        for (const Door &door : space.doors)
            if (door.open &&
                reached.insert({static_cast<int>(door.neighbour.getX()), static_cast<int>(door.neighbour.getY())})
                    .second)
                frontier.push_back(door.neighbour);
    }
    EXPECT_EQ(reached.size(), spaces.size());

    ASSERT_NE(map.getStairs(), nullptr);
    const qv::Vector stairs_cell = cellOf(map.getStairs()->getPosition());
    EXPECT_NE(stairs_cell, start);
    EXPECT_EQ(map.findSpace(stairs_cell).kind, ROOM);
    EXPECT_EQ(map.getStairs()->getPosition(),
              qv::Vector(stairs_cell.getX() * SPACE_WIDTH + 10, stairs_cell.getY() * SPACE_HEIGHT + 5));

    // Monsters and food stand in rooms, at most three of each per room.
    std::map<std::pair<int, int>, int> monsters_in, foods_in;
    for (const Monster *p_monster : map.getMonsters())
    {
        const qv::Vector cell = cellOf(p_monster->getPosition());
        EXPECT_EQ(map.findSpace(cell).kind, ROOM) << "monster at " << cellText(p_monster->getPosition());
        EXPECT_LE(++monsters_in[std::make_pair(static_cast<int>(cell.getX()), static_cast<int>(cell.getY()))], 3);
    }
    for (const Food *p_food : map.getFoods())
    {
        const qv::Vector cell = cellOf(p_food->getPosition());
        EXPECT_EQ(map.findSpace(cell).kind, ROOM) << "food at " << cellText(p_food->getPosition());
        EXPECT_LE(++foods_in[std::make_pair(static_cast<int>(cell.getX()), static_cast<int>(cell.getY()))], 3);
        EXPECT_EQ(p_food->getAnimation().getSprite()->getLabel(), p_food->getKindOfFood() == 1 ? "big-food" : "food");
    }
}

} // namespace

class MapTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        hero = new Hero;
        map = new Map;
        map->setHero(hero);
    }

    // Builds the floor of `seed` and deletes what the last floor left; returns the start cell.
    qv::Vector generate(unsigned seed)
    {
        std::srand(seed);
        map->generate(hero);
        world().update();
        const qv::Vector position = hero->getPosition();
        return qv::Vector((position.getX() - 10) / SPACE_WIDTH, (position.getY() - 5) / SPACE_HEIGHT);
    }

    Hero *hero = nullptr;
    Map *map = nullptr;
};

TEST_F(MapTest, SameSeedGivesSameFloor)
{
    std::set<std::string> floors;
    for (const unsigned seed : {1u, 42u, 20261207u})
    {
        SCOPED_TRACE(seed);
        generate(seed);
        const std::string first = describe(*map);
        generate(seed + 1);
        generate(seed);
        EXPECT_EQ(describe(*map), first);
        floors.insert(first);
    }
    EXPECT_EQ(floors.size(), 3u) << "different seeds gave the same floor";
}

TEST_F(MapTest, FirstTwoDrawsPickTheStartRoomWhereTheHeroAndTheViewGo)
{
    for (const unsigned seed : {3u, 99u, 777u})
    {
        SCOPED_TRACE(seed);
        std::srand(seed);
        const int column = std::rand() % 8;
        const int row = std::rand() % 4;
        generate(seed);
        EXPECT_EQ(hero->getPosition(), qv::Vector(80 * column + 10, 24 * row + 5));
        EXPECT_EQ(world().getViewFollowing(), hero);
        EXPECT_EQ(map->findSpace(qv::Vector(column, row)).kind, ROOM);
    }
}

TEST_F(MapTest, EveryFloorKeepsTheLayoutRules)
{
    for (unsigned seed = 1; seed <= 300; seed++)
    {
        SCOPED_TRACE(seed);
        const qv::Vector start = generate(seed);
        checkFloor(*map, start);
        if (HasFailure())
            break;
    }
    // Only the last floor's objects are left once the earlier ones were reset and deleted.
    int walls = 0;
    for (const Space &space : map->getSpaces())
        walls += static_cast<int>(space.walls.size());
    EXPECT_EQ(world().objectsOfType("Wall").getCount(), walls);
    EXPECT_EQ(world().objectsOfType("Stairs").getCount(), 1);
    EXPECT_EQ(world().objectsOfType("Monster").getCount(), static_cast<int>(map->getMonsters().size()));
    EXPECT_EQ(world().objectsOfType("Food").getCount(), static_cast<int>(map->getFoods().size()));
}

TEST_F(MapTest, WalkWithoutARoomBesidesTheStartIsWalkedAgain)
{
    // Such walks are rare; find the seeds that make one among the first few thousand.
    const int seeds = 3000;
    for (int seed = 1; seed <= seeds; seed++)
    {
        std::srand(static_cast<unsigned>(seed));
        map->generate(hero);
        world().update();
    }
    std::vector<unsigned> found;
    int generated = 0;
    for (const std::string &message : logMessages())
    {
        if (message == "===GENERATING MAP===")
            generated++;
        else if (message == WALK_AGAIN)
            found.push_back(static_cast<unsigned>(generated));
    }
    EXPECT_EQ(generated, seeds);
    ASSERT_FALSE(found.empty()) << "no seed up to " << seeds << " makes a floor with only the start room";
    for (const unsigned seed : found)
    {
        SCOPED_TRACE(seed);
        const int walked_again = logCount(WALK_AGAIN);
        const int done = logCount("DONE CREATING LEVEL GEOMETRY");
        const qv::Vector start = generate(seed);
        EXPECT_EQ(logCount(WALK_AGAIN), walked_again + 1);
        EXPECT_EQ(logCount("DONE CREATING LEVEL GEOMETRY"), done + 1);
        checkFloor(*map, start);
    }
}

TEST_F(MapTest, ConnectSpacesOpensTheDoorsOnlyBetweenNeighbours)
{
    struct Case
    {
        qv::Vector a, b;
        int result;
        std::string message;
    };
    const Case cases[] = {
        {qv::Vector(2, 1), qv::Vector(3, 1), 1, ""},
        {qv::Vector(2, 1), qv::Vector(2, 0), 1, ""},
        {qv::Vector(2, 1), qv::Vector(3, 2), -1, "Error connecting spaces: spaces must be adjacent"},
        {qv::Vector(2, 1), qv::Vector(4, 1), -1, "Error connecting spaces: spaces must be adjacent"},
        {qv::Vector(2, 1), qv::Vector(2, 1), -1, "Error connecting spaces: spaces must be adjacent"},
        {qv::Vector(2, 1), qv::Vector(1, 1), -1, "Error connecting spaces: no space at (1, 1)"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(cellText(c.a) + " to " + cellText(c.b));
        map->reset();
        map->addSpace(Space(ROOM, qv::Vector(2, 1)));
        map->addSpace(Space(CORRIDOR, qv::Vector(3, 1)));
        map->addSpace(Space(CORRIDOR, qv::Vector(2, 0)));
        map->addSpace(Space(CORRIDOR, qv::Vector(3, 2)));
        map->addSpace(Space(CORRIDOR, qv::Vector(4, 1)));
        const std::string before = describe(*map);
        const int errors = logCount(c.message);
        EXPECT_EQ(map->connectSpaces(c.a, c.b), c.result);
        if (c.result == -1)
        {
            EXPECT_EQ(describe(*map), before);
            EXPECT_EQ(logCount(c.message), errors + 1);
            continue;
        }
        const std::vector<Space> &spaces = map->getSpaces();
        ASSERT_EQ(spaces.size(), 5u);
        // Both move to the end of the list, the first before the second, and keep their kinds.
        EXPECT_EQ(spaces[3].cell, c.a);
        EXPECT_EQ(spaces[4].cell, c.b);
        EXPECT_EQ(spaces[3].kind, ROOM);
        EXPECT_EQ(spaces[4].kind, CORRIDOR);
        EXPECT_EQ(spaces[3].doors.back().neighbour, c.b);
        EXPECT_TRUE(spaces[3].doors.back().open);
        EXPECT_EQ(spaces[4].doors.back().neighbour, c.a);
        EXPECT_TRUE(spaces[4].doors.back().open);
        for (const Space &space : spaces)
        {
            int open = 0;
            for (const Door &door : space.doors)
                open += door.open ? 1 : 0;
            EXPECT_EQ(open, space.cell == c.a || space.cell == c.b ? 1 : 0);
            EXPECT_EQ(space.doors.size(), 4u);
        }
        // Connecting again reopens the same doors.
        EXPECT_EQ(map->connectSpaces(c.b, c.a), 1);
        EXPECT_EQ(map->findSpace(c.a).doors.size(), 4u);
    }
}

TEST_F(MapTest, AddSpaceReplacesTheSpaceOfTheSameCellAtTheEnd)
{
    map->addSpace(Space(ROOM, qv::Vector(0, 0)));
    map->addSpace(Space(CORRIDOR, qv::Vector(1, 0)));
    map->addSpace(Space(ROOM, qv::Vector(2, 0)));
    map->addSpace(Space(CORRIDOR, qv::Vector(0, 0)));
    const std::vector<Space> &spaces = map->getSpaces();
    ASSERT_EQ(spaces.size(), 3u);
    EXPECT_EQ(spaces[0].cell, qv::Vector(1, 0));
    EXPECT_EQ(spaces[1].cell, qv::Vector(2, 0));
    EXPECT_EQ(spaces[2].cell, qv::Vector(0, 0));
    EXPECT_EQ(map->findSpace(qv::Vector(0, 0)).kind, CORRIDOR);

    const Space missing = map->findSpace(qv::Vector(5, 3));
    EXPECT_EQ(missing.kind, NO_SPACE);
    EXPECT_EQ(missing.cell, qv::Vector(-1, -1));
}

TEST_F(MapTest, StairsEventBuildsTheNextFloor)
{
    generate(5);
    const std::string first = describe(*map);
    const int first_stairs = map->getStairs()->getId();
    EventStairs stairs;
    EXPECT_GE(world().onEvent(&stairs), 1);
    world().update();
    EXPECT_NE(describe(*map), first);
    EXPECT_NE(map->getStairs()->getId(), first_stairs);
    EXPECT_EQ(world().objectsOfType("Stairs").getCount(), 1);
    EXPECT_EQ(logCount("DONE CREATING LEVEL GEOMETRY"), 2);
}

TEST_F(MapTest, GameOverClearsTheFloorForGood)
{
    generate(5);
    EventGameOver game_over;
    world().onEvent(&game_over);
    world().update();
    EXPECT_TRUE(map->getSpaces().empty());
    EXPECT_EQ(map->getStairs(), nullptr);
    EXPECT_TRUE(map->getMonsters().empty());
    EXPECT_TRUE(map->getFoods().empty());
    for (const std::string type : {"Wall", "Stairs", "Monster", "Food"})
        EXPECT_EQ(world().objectsOfType(type).getCount(), 0) << type;
    EXPECT_TRUE(containsInOrder(logMessages(), {"DONE CREATING LEVEL GEOMETRY", "DELETING MONSTERS"}));
}

TEST_F(MapTest, RemovedMonsterOrFoodLeavesItsListOnce)
{
    // A seed whose floor has at least two monsters and two food.
    unsigned seed = 1;
    for (; seed < 100; seed++)
    {
        generate(seed);
        if (map->getMonsters().size() >= 2 && map->getFoods().size() >= 2)
            break;
    }
    ASSERT_LT(seed, 100u);
    const std::vector<Monster *> monsters = map->getMonsters();
    const std::vector<Food *> foods = map->getFoods();

    EventDeleteInstance kill(monsters[0]);
    world().onEvent(&kill);
    EventDeleteInstance eat(foods[1]);
    world().onEvent(&eat);
    // A second report of the same object finds it gone from the list.
    world().onEvent(&eat);
    EXPECT_EQ(logCount("Deleting a monster from the list"), 1);
    EXPECT_EQ(logCount("Deleting a fruit from the list"), 1);
    EXPECT_EQ(map->getMonsters(), std::vector<Monster *>(monsters.begin() + 1, monsters.end()));
    std::vector<Food *> kept = foods;
    kept.erase(kept.begin() + 1);
    EXPECT_EQ(map->getFoods(), kept);
    world().update();
    EXPECT_EQ(world().objectsOfType("Monster").getCount(), static_cast<int>(monsters.size()) - 1);
    EXPECT_EQ(world().objectsOfType("Food").getCount(), static_cast<int>(foods.size()) - 1);

    const int monster_lines = logCount("Deleting a monster");
    const int food_lines = logCount("Deleting a food");
    map->reset();
    EXPECT_EQ(logCount("Deleting a monster") - monster_lines, static_cast<int>(monsters.size()) - 1);
    EXPECT_EQ(logCount("Deleting a food") - food_lines, static_cast<int>(foods.size()) - 1);
}
