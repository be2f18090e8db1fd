#include "FrameText.h"

#include <algorithm>

namespace qv
{

namespace
{

// Far wider and taller than any window's grid; a configuration beyond it keeps only this much.
const int MAX_CELLS = 1024;

const char LETTERS[] = "krgybmcw";
const char NOTHING = '.';

} // namespace

void FrameText::resize(int new_columns, int new_rows)
{
    columns = std::clamp(new_columns, 0, MAX_CELLS);
    rows = std::clamp(new_rows, 0, MAX_CELLS);
    characters.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), ' ');
    letters.assign(characters.size(), NOTHING);
}

void FrameText::clear()
{
    std::fill(characters.begin(), characters.end(), ' ');
    std::fill(letters.begin(), letters.end(), NOTHING);
}

void FrameText::put(int column, int row, char ch, char letter)
{
    if (column < 0 || column >= columns || row < 0 || row >= rows)
        return;
    // A control character would break the text into other lines than the grid's.
    const unsigned char code = static_cast<unsigned char>(ch);
    const std::size_t cell = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + column;
    characters[cell] = code < 32 || code == 127 ? '?' : ch;
    letters[cell] = letter;
}

std::string FrameText::getText() const
{
    std::string text;
    text.reserve(2 * (characters.size() + static_cast<std::size_t>(rows)) + 1);
    for (const std::string *p_cells : {&characters, &letters})
    {
        for (int row = 0; row < rows; row++)
        {
            text.append(*p_cells, static_cast<std::size_t>(row) * static_cast<std::size_t>(columns),
                        static_cast<std::size_t>(columns));
            text += '\n';
        }
        if (p_cells == &characters)
            text += '\n';
    }
    return text;
}

int FrameText::getColumns() const
{
    return columns;
}

int FrameText::getRows() const
{
    return rows;
}

char colorLetter(Color color)
{
    // The display draws CUSTOM and unknown colours white.
    if (color < BLACK || color > WHITE)
        return 'w';
    return LETTERS[color];
}

char colorLetter(unsigned char red, unsigned char green, unsigned char blue)
{
    for (int color = BLACK; color <= WHITE; color++)
    {
        unsigned char r = 0, g = 0, b = 0;
        colorToRGB(static_cast<Color>(color), &r, &g, &b);
        if (r == red && g == green && b == blue)
            return LETTERS[color];
    }
    return 'x';
}

} // namespace qv
