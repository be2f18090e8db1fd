#pragma once

namespace qv
{

class Object;

/// A growable array of object pointers. The list owns its array, never the objects. Capacity
/// starts at one slot, doubles whenever an insertion finds the list full and never shrinks; a copy
/// is one allocation and one block copy, so queries can hand out copies that callers iterate while
/// the world changes.
class ObjectList
{
public:
    /// An empty list with one slot (none if the allocation fails).
    ObjectList();
    /// A flat copy of `other`'s slots; empty with no slots if the allocation fails.
    ObjectList(const ObjectList &other);
    /// Replaces the contents with a flat copy of `other`'s; empty with no slots if that fails.
    ObjectList &operator=(const ObjectList &other);
    /// Takes over `other`'s array without allocating; `other` is left empty with no slots.
    ObjectList(ObjectList &&other) noexcept;
    /// Takes over `other`'s array, freeing this list's own.
    ObjectList &operator=(ObjectList &&other) noexcept;
    /// Frees the array, never the objects.
    ~ObjectList();

    /// Appends `p_o`, growing the array when full; 0, or -1 for a null pointer or a failed growth.
    int insert(Object *p_o);
    /// Removes the first occurrence of `p_o`, keeping the order of the rest; 0, or -1 if absent.
    int remove(Object *p_o);
    /// Forgets every pointer; the array keeps its capacity.
    void clear();
    /// Number of pointers held.
    int getCount() const;
    /// Does the list hold no pointer?
    bool isEmpty() const;
    /// A new list with this list's items followed by the non-null items of `other`.
    ObjectList operator+(const ObjectList &other) const;

    /// The pointer at `index`, or null outside 0 .. getCount()-1.
    Object *itemAt(int index) const;

private:
    /// Takes a flat copy of `other`'s pointers into this empty list (empty again if memory runs out).
    void copyFrom(const ObjectList &other);

    int count = 0;            // pointers held
    int capacity = 0;         // slots allocated
    Object **items = nullptr; // malloc'ed array of `capacity` slots
};

} // namespace qv
