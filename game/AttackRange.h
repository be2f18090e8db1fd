#pragma once

#include "Object.h"

/// The hero's short-lived attack: an invisible SOFT object around the hero that hurts the
/// monsters it touches. The hero creates it and marks it for deletion.
class AttackRange : public qv::Object
{
public:
    /// An invisible SOFT "AttackObj" at altitude 3 with the box of the sprite "attack_obj".
    AttackRange();
};
