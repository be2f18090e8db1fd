#pragma once

#include <string>

// Attribute text is a run of items "key:value," with no blanks: the configuration file and the
// text form of objects are written in it. Whitespace anywhere is dropped before splitting, an
// item's value ends at the next ':' or ',', and the first item with a key wins.

namespace qv
{

/// Parses `str` when it is not empty (replacing the table kept from the last parse), then returns
/// the value stored for the key `find`, or the empty string when there is none. Not reentrant.
std::string match(std::string str, std::string find);

/// The leading decimal integer of `text` as atoi reads it (blanks, optional sign, digits up to the
/// first non-digit; 0 when there are none), held to the range of int where atoi's result would be
/// undefined.
int textToInt(const std::string &text);

/// The decimal text of `value`.
std::string toString(int value);
/// `value` as a default-formatted stream writes it: six significant digits, no trailing zeros.
std::string toString(float value);
/// "true" or "false".
std::string toString(bool value);

} // namespace qv
