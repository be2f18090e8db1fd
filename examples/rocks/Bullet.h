#pragma once

#include <quorvex/Object.h>

/// A SOFT bullet flying right: it passes through other bullets (SOFT objects do not block each
/// other) and is deleted when it leaves the view's right edge or the world. Rocks break it.
class Bullet : public qv::Object
{
public:
    /// A bullet at `where`, flying right.
    explicit Bullet(qv::Vector where);

    /// Deletes the bullet when it has flown out of sight; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;
};
