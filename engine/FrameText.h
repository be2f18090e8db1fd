#pragma once

#include "Color.h"

#include <string>

namespace qv
{

/// What each cell of a frame shows, as text: a character and a colour letter per cell. The display
/// manager keeps one for the frame being drawn, so that a frame can be read without a screen.
///
/// The text is the rows of characters, an empty line, then the same rows as colour letters: "k"
/// black, "r" red, "g" green, "y" yellow, "b" blue, "m" magenta, "c" cyan, "w" white, "x" any
/// other colour, "." where nothing was drawn (its character is a space).
class FrameText
{
public:
    /// Gives the grid `columns` x `rows` cells (each at most 1024, negative counts as 0), all empty.
    void resize(int columns, int rows);
    /// Empties every cell.
    void clear();
    /// Notes that the cell at `column`, `row` shows `ch` in colour `letter`; ignored outside the grid.
    void put(int column, int row, char ch, char letter);
    /// The rows of characters, an empty line, then the rows of colour letters, each row ending in a newline.
    std::string getText() const;
    /// Cells across.
    int getColumns() const;
    /// Cells down.
    int getRows() const;

private:
    int columns = 0;        // cells across
    int rows = 0;           // cells down
    std::string characters; // row after row, ' ' where nothing was drawn
    std::string letters;    // the colour letter of each cell, '.' where nothing was drawn
};

/// The colour letter of one of the engine's colours; "w" for `CUSTOM` or an unknown colour, drawn white.
char colorLetter(Color color);
/// The colour letter of red, green and blue: that of the engine colour they are exactly, else "x".
char colorLetter(unsigned char red, unsigned char green, unsigned char blue);

} // namespace qv
