#pragma once

namespace qv
{

/// The engine's colours. `CUSTOM` means the caller supplies red, green and blue itself.
enum Color
{
    BLACK = 0,
    RED,
    GREEN,
    YELLOW,
    BLUE,
    MAGENTA,
    CYAN,
    WHITE,
    CUSTOM,
};

} // namespace qv
