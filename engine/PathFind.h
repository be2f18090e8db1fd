#pragma once

namespace qv
{

/// One incremental path search, owned by the object that asked for it.
class PathFind
{
public:
    PathFind() = default;
    virtual ~PathFind() = default;
};

} // namespace qv
