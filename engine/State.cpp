#include "State.h"

namespace qv
{

State::State() : type("__undefined state__") {}

State::~State() = default;

void State::Enter(Object *) {}

void State::Exit(Object *) {}

std::string State::getType() const
{
    return type;
}

void State::setType(const std::string &new_type)
{
    type = new_type;
}

} // namespace qv
