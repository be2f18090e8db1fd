#include "Event.h"

namespace qv
{

Event::Event() : type(UNDEFINED_EVENT) {}

Event::~Event() = default;

std::string Event::getType() const
{
    return type;
}

void Event::setType(const std::string &new_type)
{
    type = new_type;
}

} // namespace qv
