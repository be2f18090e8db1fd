#include "PathManager.h"

#include "Clock.h"
#include "EventPath.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Object.h"
#include "PathFind.h"
#include "Recording.h"

#include <algorithm>

namespace qv
{

namespace
{

// Reading the clock costs about as much as expanding a cell, so a pass reads it only every so
// many steps, and after any step that may have taken long; the steps made beyond the limit in
// between take microseconds, far below the millisecond the limit is counted in.
const int STEPS_PER_READING = 16;

int elapsedMilliseconds(const Clock &clock)
{
    return clock.split() / 1000;
}

} // namespace

PathManager::PathManager()
{
    setType("PathManager");
}

PathManager &PathManager::getInstance()
{
    static PathManager path_manager;
    return path_manager;
}

int PathManager::startUp()
{
    if (isStarted())
    {
        LogManager::getInstance().writeLog("PathManager::startup(): already started.");
        return 0;
    }
    cycle_time = GameManager::getInstance().getFrameTime() / 10;
    Manager::startUp();
    LogManager::getInstance().writeLog(5, "PathManager::startUp(): successfully started.");
    return 0;
}

void PathManager::shutDown()
{
    jobs.clear();
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "PathManager::shutDown(): successfully stopped.");
}

void PathManager::cycle(int budget)
{
    const int limit = std::max(cycle_time, budget);
    Recording &recording = Recording::getInstance();
    const int pass = GameManager::getInstance().getStepCount();
    const Clock clock;
    int steps = 0;
    bool over = false;
    if (recording.isReplaying())
    {
        // The steps follow one another in the same order whatever the clock says, so making as
        // many as the recorded pass did leaves every search where it was left then.
        const int recorded = recording.takePathWork(pass, &over);
        std::size_t i = 0;
        while (!jobs.empty() && steps < recorded)
        {
            if (i >= jobs.size())
                i = 0;
            int made = 0;
            step(&i, jobs.size() == 1 ? recorded - steps : 1, &made);
            steps += made;
        }
    }
    else
    {
        int elapsed = elapsedMilliseconds(clock);
        while (!jobs.empty() && !over && elapsed < limit)
        {
            std::size_t i = 0;
            while (i < jobs.size())
            {
                // A lone search goes on to the next reading in one call; taking turns with
                // others, each search makes one step at a time.
                const int most = jobs.size() == 1 ? STEPS_PER_READING - steps % STEPS_PER_READING : 1;
                int made = 0;
                const bool slow = step(&i, most, &made);
                steps += made;
                if (slow || steps % STEPS_PER_READING == 0)
                    elapsed = elapsedMilliseconds(clock);
                if (elapsed > limit)
                {
                    over = true;
                    break;
                }
            }
        }
        over = elapsedMilliseconds(clock) > limit;
        recording.notePathWork(pass, steps, over);
    }
    if (over)
        LogManager::getInstance().writeLog(5, "PathManager::cycle(): cycle time %d exceeded.", limit);
}

bool PathManager::step(std::size_t *p_index, int most, int *p_made)
{
    PathFind *p_job = jobs[*p_index];
    // The first expansion may work out the blocked cells of the whole world: it goes alone, so
    // that the clock is read after it.
    const bool first = p_job->getExpansions() == 0;
    const int result = p_job->cycle(first ? 1 : most, p_made);
    if (result == 1)
    {
        (*p_index)++;
        return first;
    }
    // Out of the list before the object hears of it, so that it is reported once even when the
    // handler keeps the job, and so that the job that moves up into this place still gets its
    // turn in this round.
    jobs.erase(jobs.begin() + static_cast<std::ptrdiff_t>(*p_index));
    const EventPath event(result, result == 2 ? p_job->getPath() : Path());
    // The handler may destroy the job and change the list: nothing of either is kept.
    p_job->getObject()->eventHandler(&event);
    return true;
}

int PathManager::addJob(PathFind *p_job)
{
    LogManager &log = LogManager::getInstance();
    if (!isStarted())
    {
        log.writeLog("PathManager::addJob(): Error! Path manager not started.");
        return -1;
    }
    if (p_job == nullptr || p_job->getObject() == nullptr)
    {
        log.writeLog("PathManager::addJob(): Error! Job without object.");
        return -1;
    }
    if (isPending(p_job))
    {
        log.writeLog("PathManager::addJob(): Error! Job already running.");
        return -1;
    }
    jobs.push_back(p_job);
    return 0;
}

int PathManager::removeJob(PathFind *p_job)
{
    if (p_job == nullptr)
        return -1;
    const auto found = std::find(jobs.begin(), jobs.end(), p_job);
    if (found == jobs.end())
        return -1;
    jobs.erase(found);
    return 0;
}

bool PathManager::isPending(const PathFind *p_job) const
{
    return p_job != nullptr && std::find(jobs.begin(), jobs.end(), p_job) != jobs.end();
}

void PathManager::forgetTarget(const Object *p_target)
{
    if (p_target == nullptr)
        return;
    for (PathFind *p_job : jobs)
        if (p_job->getTarget() == p_target)
            p_job->loseTarget();
}

int PathManager::getJobCount() const
{
    return static_cast<int>(jobs.size());
}

int PathManager::getCycleTime() const
{
    return cycle_time;
}

} // namespace qv
