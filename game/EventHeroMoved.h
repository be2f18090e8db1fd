#pragma once

#include "Event.h"

#include <string>

namespace qv
{
class Object;
} // namespace qv

/// Name of the `EventHeroMoved` events.
const std::string HERO_MOVED_EVENT = "hero_moved";

/// Sent by the hero on every arrow-key event, also when it cannot move; counted by the hunger bar.
class EventHeroMoved : public qv::Event
{
public:
    /// A "hero_moved" event carrying the hero (not owned).
    explicit EventHeroMoved(qv::Object *p_init_object);

    /// The hero.
    qv::Object *getObject() const;

private:
    qv::Object *p_object; // the hero, not owned
};
