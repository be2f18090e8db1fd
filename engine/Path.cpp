#include "Path.h"

#include <algorithm>
#include <utility>

namespace qv
{

Path::Path(std::vector<Vector> init_nodes) : nodes(std::move(init_nodes)) {}

bool Path::isDone() const
{
    return index >= static_cast<int>(nodes.size());
}

Vector Path::currentNode() const
{
    return isDone() ? Vector() : nodes[index];
}

void Path::next()
{
    index = std::min(index + 1, static_cast<int>(nodes.size()));
}

int Path::getIndex() const
{
    return index;
}

int Path::setIndex(int new_index)
{
    if (new_index < 0 || new_index >= static_cast<int>(nodes.size()))
        return -1;
    index = new_index;
    return 0;
}

const std::vector<Vector> &Path::getNodes() const
{
    return nodes;
}

void Path::addNode(const Vector &node)
{
    nodes.push_back(node);
}

} // namespace qv
