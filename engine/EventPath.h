#pragma once

#include "Event.h"
#include "Path.h"

namespace qv
{

/// Sent by the path manager to the object whose path search has ended.
class EventPath : public Event
{
public:
    EventPath();
    EventPath(int init_result, const Path &init_path);

    /// 0 when no path was found, 2 when one was.
    int getResult() const;
    void setResult(int new_result);
    /// The path found; empty unless found.
    Path getPath() const;
    void setPath(const Path &new_path);

private:
    int result = 0; // 0 no path, 2 path found
    Path path;      // empty unless found
};

} // namespace qv
