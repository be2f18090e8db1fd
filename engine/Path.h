#pragma once

#include "Vector.h"

#include <vector>

namespace qv
{

/// A walk through world positions, with the node currently headed for.
class Path
{
public:
    /// An empty path, already done.
    Path() = default;
    /// A path through `init_nodes`, headed for the first.
    explicit Path(std::vector<Vector> init_nodes);

    /// Have all nodes been reached?
    bool isDone() const;
    /// The node headed for, or (0, 0) when done.
    Vector currentNode() const;
    /// Heads for the next node, stopping past the last.
    void next();
    /// The index of the node headed for; the node count when done.
    int getIndex() const;
    /// Heads for node `new_index`; -1 and no change when there is no such node.
    int setIndex(int new_index);
    /// Every node, in walking order.
    const std::vector<Vector> &getNodes() const;
    /// Appends a node to walk to after the others.
    void addNode(const Vector &node);

private:
    std::vector<Vector> nodes; // world positions, in walking order
    int index = 0;             // the node headed for
};

} // namespace qv
