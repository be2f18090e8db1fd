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

/// The leading number of `text` as atof reads it (0 when there is none), held to the range of
/// float where converting atof's double would be undefined.
float textToFloat(const std::string &text);

/// Looks up `find` in `str` by the rules of `match` (same items, same keys, the first one wins)
/// and stores in `*p_value` the item's text after the colon that ends its key, as written:
/// whitespace and further colons kept. A NUL ends `str`, as it ends `match`'s copy. Returns
/// whether the item exists. Leaves `match`'s table alone.
bool matchVerbatim(const std::string &str, const std::string &find, std::string *p_value);

/// `text` as an attribute value that reads back as exactly `text`.
///
/// Free text (a type, an event name, a sprite label, a display string) cannot go into an item
/// as it is when it holds ',' or ':' (they end the value and could start items of its own),
/// whitespace (the parser drops it) or NUL (the parser's copy ends there). Text without any of
/// these is written unchanged. Text with any of them is written as ':' followed by the text in
/// which each of those characters, and '%', becomes '%' and two upper-case hexadecimal digits:
/// "Floor: 3" is written ":Floor%3A%203". The leading ':' marks the escaped form, since no
/// unescaped value holds one; `match` skips it and hands back the escaped text whole, so even
/// a reader that does not unescape sees one item and no stray keys.
std::string escapeText(const std::string &text);
/// The text a value written by `escapeText` stands for, given the value as `matchVerbatim`
/// finds it. Whitespace is dropped; an unescaped value reads as `match` reads it (up to its
/// next ':'); in an escaped one each '%' and two hexadecimal digits is that byte, and any other
/// '%' stands for itself.
std::string unescapeText(const std::string &verbatim);

/// The decimal text of `value`.
std::string toString(int value);
/// `value` as a default-formatted stream writes it: six significant digits, no trailing zeros.
std::string toString(float value);
/// "true" or "false".
std::string toString(bool value);

} // namespace qv
