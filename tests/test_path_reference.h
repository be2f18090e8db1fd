#pragma once

// The plain search the path finder must agree with: open and closed as lists searched end to end,
// every blocked-cell test put to the world manager. Shared by the path tests and the benchmark.

#include "Cell.h"
#include "Object.h"
#include "ObjectListIterator.h"
#include "WorldManager.h"
#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

struct ReferenceSearch
{
    using Cell = qv::Cell;

    ReferenceSearch(qv::Object *p_init_object, Cell init_start, Cell init_goal, qv::Object *p_init_target = nullptr)
        : p_object(p_init_object), p_target(p_init_target), start(init_start), goal(init_goal)
    {
    }

    // 0 exhausted, 1 searching, 2 found.
    int cycleOnce()
    {
        auto best = open.rbegin();
        for (auto it = open.rbegin(); it != open.rend(); ++it)
            best = node(*it).f < node(*best).f ? it : best;
        const Cell current = open.empty() ? start : *best;
        if (!open.empty())
            open.erase(std::prev(best.base()));
        closed.push_back(current);
        expansions++;
        found = current == goal || (p_target != nullptr && qv::boxIntersectsBox(qv::getWorldBox(p_object, at(current)),
                                                                                qv::getWorldBox(p_target, at(goal))));
        goal = found ? current : goal;
        for (int ny = current.y - 1; ny <= current.y + 1 && !found; ny++)
        {
            for (int nx = current.x - 1; nx <= current.x + 1; nx++)
            {
                const Cell next(nx, ny);
                if (next == current || nx < 0 || ny < 0 || nx >= width || ny >= height || has(closed, next) ||
                    blocked(next) ||
                    (nx != current.x && ny != current.y && blocked(Cell(nx, current.y)) &&
                     blocked(Cell(current.x, ny))))
                    continue;
                const float g = node(current).g + length(nx - current.x, ny - current.y);
                if (!has(open, next))
                    open.push_back(next);
                else if (g > node(next).g)
                    continue;
                node(next) = Node{g, g + length(nx - goal.x, ny - goal.y), current};
            }
        }
        return found ? 2 : open.empty() ? 0 : 1;
    }

    int run()
    {
        int result = 1;
        while (result == 1)
            result = cycleOnce();
        return result;
    }

    std::vector<qv::Vector> path()
    {
        std::vector<qv::Vector> way(found ? 1 : 0, at(goal));
        for (Cell cell = goal; found && cell != start; cell = node(cell).parent)
            way.insert(way.begin(), at(node(cell).parent));
        return way;
    }

    struct Node
    {
        float g, f;
        Cell parent;
    };

    static qv::WorldManager &world() { return qv::WorldManager::getInstance(); }
    static qv::Vector at(Cell cell) { return qv::Vector(cell.x, cell.y); }
    static bool has(const std::vector<Cell> &cells, Cell c) { return std::count(cells.begin(), cells.end(), c) > 0; }
    static float length(int dx, int dy) { return std::sqrt(static_cast<float>(dx * dx + dy * dy)); }
    Node &node(Cell cell) { return nodes[cell.y * width + cell.x]; }

    bool blocked(Cell cell) const
    {
        const qv::ObjectList collisions = world().getCollisions(p_object, at(cell));
        qv::ObjectListIterator it(&collisions);
        for (it.first(); !it.isDone(); it.next())
            if (it.currentObject()->getSolidness() == qv::HARD)
                return !qv::boxContainsPosition(qv::getWorldBox(it.currentObject()), at(goal));
        return false;
    }

    qv::Object *p_object;
    qv::Object *p_target;
    Cell start, goal;
    int width = static_cast<int>(world().getBoundary().getHorizontal());
    int height = static_cast<int>(world().getBoundary().getVertical());
    std::vector<Node> nodes = std::vector<Node>(static_cast<std::size_t>(width) * height);
    std::vector<Cell> open, closed; // the last of closed is the cell expanded last
    bool found = false;
    int expansions = 0;
};
