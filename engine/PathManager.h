#pragma once

#include "Manager.h"

#include <vector>

namespace qv
{

class Object;
class PathFind;

/// Runs the objects' path searches a few node expansions at a time, within the share of each pass
/// that the game loop gives it.
///
/// The manager holds the running searches (`PathFind` jobs) but owns none: each belongs to the
/// object that asked for it. A game asks for a path with `Object::requestPath`; the object gets a
/// "qv-path" event (`EventPath`) when its search ends, handed straight to its `eventHandler`, and
/// by default walks the path found. The game loop calls `cycle` once per pass.
///
/// How many steps a pass makes depends on the machine's speed: a recorded session keeps the count
/// of each pass, and a replay makes exactly as many.
class PathManager : public Manager
{
public:
    /// The one path manager, created on first use.
    static PathManager &getInstance();

    /// Sets the default budget to a tenth of the frame time; always 0.
    int startUp() override;
    /// Forgets every running search; their objects still own them.
    void shutDown() override;

    /// Expands one cell of each search in turn, round after round, for at most the larger of
    /// `budget` and the default budget, ms; reports each search that ends to its object.
    void cycle(int budget);
    /// Runs `p_job` (not owned) from the next cycle on; 0, or -1 if it is null, has no object, is
    /// already running or the manager is not started.
    int addJob(PathFind *p_job);
    /// Drops a job (not owned) from the searches; 0, or -1 if it is null or not held.
    int removeJob(PathFind *p_job);
    /// Is `p_job` among the running searches?
    bool isPending(const PathFind *p_job) const;
    /// Ends, at their next expansion, the searches heading for `p_target`. Called by the target's
    /// destructor.
    void forgetTarget(const Object *p_target);
    /// Running searches.
    int getJobCount() const;
    /// The default budget, ms.
    int getCycleTime() const;

private:
    PathManager();
    /// Expands up to `most` cells of the search at `*p_index` (one if it has expanded none) and
    /// moves the index on, or reports the search when it ends, which takes it out of the list;
    /// sets `*p_made` to the steps made. True when that may have taken long: the search's first
    /// expansion, or a report, which runs the object's handler.
    bool step(std::size_t *p_index, int most, int *p_made);

    std::vector<PathFind *> jobs; // running searches in turn order, not owned
    int cycle_time = 0;           // default budget of one pass, ms
};

} // namespace qv
