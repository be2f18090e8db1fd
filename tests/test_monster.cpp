#include "LogManager.h"
#include "State.h"
#include "StateMachine.h"
#include "test_game_support.h"

namespace
{

std::vector<std::string> calls; // "<state>.<call>" in order, "!" marking a call without the owner

class RecordingState : public qv::State
{
public:
    explicit RecordingState(const std::string &name) { setType(name); }
    void Enter(qv::Object *p_obj) override { record(".Enter", p_obj); }
    void Execute(qv::Object *p_obj) override { record(".Execute", p_obj); }
    void Exit(qv::Object *p_obj) override { record(".Exit", p_obj); }

private:
    void record(const std::string &what, qv::Object *p_obj) { calls.push_back(getType() + what + (p_obj ? "" : "!")); }
};

} // namespace

// Last, the machine is set up as the game does it: setState, then changeState to the same state.
TEST_F(EngineTest, StateMachineRunsExitThenEnterRemembersThePreviousRefusesNullAndUpdatesGlobalFirst)
{
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(10);
    RecordingState a("A"), b("B"), c("C");
    qv::StateMachine machine;
    // The machine only passes its owner on, so any address stands for one.
    machine.setOwner(reinterpret_cast<qv::Object *>(0x1000));
    machine.changeState(&a);
    EXPECT_TRUE(logHas("StateMachine::changeState(): old null, new A"));
    machine.changeState(&b);
    machine.changeState(&c);
    machine.changeState(nullptr);
    EXPECT_TRUE(logHas("Warning! p_new_state is undefined. Ignoring."));
    EXPECT_TRUE(machine.getState() == &c && machine.getPreviousState() == &b);
    machine.setState(&a);
    machine.changeState(&a);
    machine.setGlobalState(&b);
    machine.Update();
    EXPECT_EQ(calls, std::vector<std::string>({"A.Enter", "A.Exit", "B.Enter", "B.Exit", "C.Enter", "A.Exit", "A.Enter",
                                               "B.Execute", "A.Execute"}));
}

class MonsterTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        std::srand(7);
        hero = new Hero;
        hero->setPosition(qv::Vector(400, 40));
        heard = listen({PLAYER_HIT_EVENT, MONSTER_HIT_EVENT, DELETE_EVENT});
        monster = new Monster(hero);
        monster->setPosition(qv::Vector(100, 10));
    }

    static Wall *wall(int width, int height, qv::Vector where)
    {
        Wall *p_wall = new Wall(width, height);
        p_wall->setPosition(where);
        return p_wall;
    }

    bool in(const qv::State *p_state) const { return monster->getState() == p_state; }

    Hero *hero = nullptr;
    RecordingObject *heard = nullptr;
    Monster *monster = nullptr;
};

// The line from the monster at (100, 10) to the hero at (110, 14) passes below the wall at (109, 11), in
// their box. Each case: the hero's place, a wall's size (none if 0 x 0) and place, in range, seen.
TEST_F(MonsterTest, SeesTheHeroWithinRangeUnlessAWallCrossesTheBoxBetweenThem)
{
    const std::tuple<const char *, float, float, int, int, float, float, bool, bool> cases[] = {
        {"20 columns away", 120, 10, 0, 0, 0, 0, false, false},
        {"under 20 columns", 80.1f, 10, 0, 0, 0, 0, true, true},
        {"rows count a quarter", 100, 89.5f, 0, 0, 0, 0, true, true},
        {"80 rows away", 100, 90, 0, 0, 0, 0, false, false},
        {"diagonal out", 112, 74, 0, 0, 0, 0, false, false},
        {"diagonal in", 112, 73.5f, 0, 0, 0, 0, true, true},
        {"in the box, off the line", 110, 14, 2, 1, 109, 11, true, false},
        {"across the line", 110, 14, 0, 10, 105, 12, true, false},
        {"outside the box", 110, 14, 2, 1, 120, 11, true, true}};
    for (const auto &[name, hx, hy, width, height, wx, wy, in_range, visible] : cases)
    {
        SCOPED_TRACE(name);
        hero->setPosition(qv::Vector(hx, hy));
        if (width + height > 0)
            world().markForDelete(wall(width, height, qv::Vector(wx, wy)));
        EXPECT_EQ(monster->heroInRange(), in_range);
        const float length = visible ? std::hypot(hx - 100, hy - 10) : 0;
        EXPECT_EQ(monster->directionToHero(),
                  visible ? qv::Vector((hx - 100) / length, (hy - 10) / length) : qv::Vector(0, 0));
        world().update();
    }
}

TEST_F(MonsterTest, WandersSearchesChasesAndFallsBackNeverSkippingTheSearch)
{
    pass(5);
    EXPECT_TRUE(in(monster->getWander()));
    hero->setPosition(qv::Vector(110, 10));
    pass();
    EXPECT_TRUE(in(monster->getSearch())) << "in plain sight, but the search comes first";
    pass();
    EXPECT_TRUE(in(monster->getChase()));
    EXPECT_EQ(spriteOf(monster), "monster-chase");
    hero->setPosition(monster->getPosition() + qv::Vector(6, 8));
    pass();
    EXPECT_NEAR(monster->getVelocity().getX(), 0.6f * 0.37f, 1e-4f);
    EXPECT_NEAR(monster->getVelocity().getY(), 0.8f * 0.17f, 1e-4f);
    EXPECT_FALSE(isFrozen(monster));

    // Behind a wall the chase stops and a search waits; without the wall the chase resumes.
    Wall *p_wall = wall(0, 20, monster->getPosition() + qv::Vector(3, 0));
    hero->setPosition(monster->getPosition() + qv::Vector(6, 0));
    pass();
    EXPECT_EQ(monster->getVelocity(), qv::Vector(0, 0));
    pass(60);
    EXPECT_TRUE(in(monster->getSearch()));
    world().markForDelete(p_wall);
    pass(2);
    EXPECT_TRUE(in(monster->getChase()));
    hero->setPosition(qv::Vector(400, 40));
    pass(2);
    EXPECT_TRUE(in(monster->getWander()));
    const std::string wander = "StateWander::Enter():Set monster-walk",
                      search = "StateSearch::Enter():Set monster-walk", chase = "Statechase::Enter():Set monster-chase";
    EXPECT_TRUE(containsInOrder(logMessages(), {wander, search, chase, search, chase, search, wander}));
    EXPECT_EQ(logCount(chase), 2);
}

TEST_F(MonsterTest, SixAttacksKillItShowingHurt2ThenHurt3)
{
    hero->setPosition(qv::Vector(100, 10));
    monster->setPosition(qv::Vector(109, 10));
    std::vector<std::string> sprites;
    heard->on_event = [&, remove = heard->on_event](const qv::Event *p_event)
    {
        if (p_event->getType() == MONSTER_HIT_EVENT)
            sprites.push_back(spriteOf(monster) + " " + std::to_string(monster->getHealth()));
        remove(p_event);
    };
    int attacks = 0;
    for (int i = 0; i < 400 && seen(heard, DELETE_EVENT) == 0; i++, pass())
    {
        if (monster->getPosition().getX() - hero->getPosition().getX() < 6.5f && hero->getAttackObject() == nullptr)
        {
            key(qv::Keyboard::A, qv::KEY_PRESSED);
            attacks++;
        }
    }
    EXPECT_EQ(attacks, 6);
    EXPECT_EQ(sprites, std::vector<std::string>({"monster-chase 3", "monster-hurt2 2", "monster-hurt2 2",
                                                 "monster-hurt3 1", "monster-hurt3 1", "monster-hurt3 0"}));
    EXPECT_GT(seen(heard, PLAYER_HIT_EVENT), 0);
    EXPECT_EQ(objects("Monster"), 0);
}

// A touched hero shows its hurt sprite until the next step.
TEST_F(MonsterTest, BumpingIntoTheHeroHurtsItButMonstersBumpHarmlessly)
{
    for (qv::Object *p_other : {static_cast<qv::Object *>(new Monster(hero)), static_cast<qv::Object *>(hero)})
    {
        p_other->setPosition(qv::Vector(104, 10));
        EXPECT_EQ(world().moveObject(monster, qv::Vector(102, 10)), -1);
    }
    EXPECT_EQ(heard->received, std::vector<std::string>({PLAYER_HIT_EVENT}));
    EXPECT_EQ(spriteOf(hero), "hurt");
    pass();
    EXPECT_EQ(spriteOf(hero), "walk");
}
