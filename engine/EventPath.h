#pragma once

#include "Event.h"
#include "Path.h"

namespace qv
{

/// Sent by the path manager to the object whose path search has ended.
class EventPath : public Event
{
public:
    /// A "qv-path" event reporting no path.
    EventPath();
    /// A "qv-path" event with `init_result` (0 or 2) and the path found.
    EventPath(int init_result, Path init_path);

    /// 0 when no path was found, 2 when one was.
    int getResult() const;
    /// Sets the result: 0 when no path was found, 2 when one was.
    void setResult(int new_result);
    /// The path found; empty unless found.
    Path getPath() const;
    /// Sets the path found.
    void setPath(const Path &new_path);

private:
    int result = 0; // 0 no path, 2 path found
    Path path;      // empty unless found
};

} // namespace qv
