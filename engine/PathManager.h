#pragma once

#include "Manager.h"

namespace qv
{

class PathFind;

/// Runs the objects' path searches a few node expansions at a time, within the share of each
/// pass that the game loop gives it.
class PathManager : public Manager
{
public:
    static PathManager &getInstance();

    /// Sets the default budget to a tenth of the frame time.
    int startUp() override;
    void shutDown() override;

    /// Advances the searches for at most the larger of `budget` and the default budget, in ms.
    void cycle(int budget);
    /// Drops a job (not owned) from the searches; 0, or -1 if it is null or not held.
    int removeJob(PathFind *p_job);
    /// The default budget, ms.
    int getCycleTime() const;

private:
    PathManager();

    int cycle_time = 0;  // default budget of one pass, ms
};

} // namespace qv
