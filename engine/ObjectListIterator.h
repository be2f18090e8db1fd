#pragma once

namespace qv
{

class Object;
class ObjectList;

/// Walks an object list front to back. It reads the list's count on every call and keeps no copy,
/// so it must not outlive the list.
class ObjectListIterator
{
public:
    /// An iterator at the first item of `p_list` (not owned).
    explicit ObjectListIterator(const ObjectList *p_list);

    /// Goes back to the first item.
    void first();
    /// Moves to the next item, stopping at the end.
    void next();
    /// Is the iterator past the last item?
    bool isDone() const;
    /// The item under the iterator, or null at the end.
    Object *currentObject() const;

private:
    int index = 0;                    // current position
    const ObjectList *list = nullptr; // the list walked, not owned
};

} // namespace qv
