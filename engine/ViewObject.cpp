#include "ViewObject.h"

namespace qv
{

ViewObject::ViewObject() = default;

} // namespace qv
