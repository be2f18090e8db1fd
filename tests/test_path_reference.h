#pragma once

// The plain search the path finder must agree with: open and closed as lists searched from end to
// end, and every blocked-cell test put to the world manager. Shared by the equality tests and the
// path benchmark.

#include "Box.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "Vector.h"
#include "WorldManager.h"
#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

class ReferenceSearch
{
public:
    struct Cell
    {
        int x;
        int y;
        bool operator==(const Cell &other) const { return x == other.x && y == other.y; }
    };

    ReferenceSearch(qv::Object *p_init_object, Cell init_start, Cell init_goal, qv::Object *p_init_target = nullptr)
        : p_object(p_init_object), p_target(p_init_target), start(init_start), goal(init_goal)
    {
        const qv::Box boundary = qv::WorldManager::getInstance().getBoundary();
        width = static_cast<int>(boundary.getHorizontal());
        height = static_cast<int>(boundary.getVertical());
        nodes.assign(static_cast<std::size_t>(width) * height, Node());
    }

    // 0 exhausted, 1 searching, 2 found.
    int cycleOnce()
    {
        Cell current = start;
        if (!open.empty())
        {
            std::size_t best = open.size() - 1;
            for (std::size_t i = open.size(); i-- > 0;)
                if (node(open[i]).f < node(open[best]).f)
                    best = i;
            current = open[best];
        }
        const auto first = std::find(open.begin(), open.end(), current);
        if (first != open.end())
            open.erase(first);
        closed.push_back(current);
        expansions++;

        if (current == goal)
            found = true;
        if (p_target != nullptr && qv::boxIntersectsBox(qv::getWorldBox(p_object, position(current)),
                                                        qv::getWorldBox(p_target, position(goal))))
        {
            found = true;
            goal = current;
        }
        if (found)
            return 2;

        for (int ny = current.y - 1; ny <= current.y + 1; ny++)
        {
            for (int nx = current.x - 1; nx <= current.x + 1; nx++)
            {
                if (nx == current.x && ny == current.y)
                    continue;
                const qv::Box boundary = qv::WorldManager::getInstance().getBoundary();
                if (nx < 0 || nx >= static_cast<int>(boundary.getHorizontal()) || ny < 0 ||
                    ny >= static_cast<int>(boundary.getVertical()))
                    continue;
                const Cell next{nx, ny};
                if (std::find(closed.begin(), closed.end(), next) != closed.end())
                    continue;
                if (blocked(nx, ny))
                    continue;
                if (nx != current.x && ny != current.y && blocked(nx, current.y) && blocked(current.x, ny))
                    continue;
                const int dx = nx - current.x;
                const int dy = ny - current.y;
                const float g = node(current).g + distance(dx, dy);
                const bool in_open = std::find(open.begin(), open.end(), next) != open.end();
                if (in_open && g > node(next).g)
                    continue;
                if (!in_open)
                    open.push_back(next);
                node(next).parent = current;
                node(next).g = g;
                node(next).f = g + distance(nx - goal.x, ny - goal.y);
            }
        }
        return open.empty() ? 0 : 1;
    }

    // Runs to the end; the final result.
    int run()
    {
        int result = 1;
        while (result == 1)
            result = cycleOnce();
        return result;
    }

    std::vector<qv::Vector> path() const
    {
        std::vector<qv::Vector> way;
        if (!found)
            return way;
        for (Cell cell = goal; !(cell == start); cell = nodes[cell.y * width + cell.x].parent)
            way.push_back(position(cell));
        way.push_back(position(start));
        std::reverse(way.begin(), way.end());
        return way;
    }

    // The cell expanded last; the start before the first expansion.
    Cell lastExpanded() const { return closed.empty() ? start : closed.back(); }

    int expansions = 0;

private:
    struct Node
    {
        float g = 0;
        float f = 0;
        Cell parent{0, 0};
    };

    static qv::Vector position(Cell cell) { return qv::Vector(cell.x, cell.y); }

    static float distance(int dx, int dy)
    {
        return static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    }

    Node &node(Cell cell) { return nodes[cell.y * width + cell.x]; }

    bool blocked(int x, int y) const
    {
        const qv::ObjectList collisions = qv::WorldManager::getInstance().getCollisions(p_object, qv::Vector(x, y));
        qv::ObjectListIterator it(&collisions);
        for (it.first(); !it.isDone(); it.next())
            if (it.currentObject()->getSolidness() == qv::HARD)
                return !qv::boxContainsPosition(qv::getWorldBox(it.currentObject()), position(goal));
        return false;
    }

    qv::Object *p_object;
    qv::Object *p_target;
    Cell start;
    Cell goal;
    int width = 0;
    int height = 0;
    std::vector<Node> nodes;
    std::vector<Cell> open;
    std::vector<Cell> closed;
    bool found = false;
};
