#include "FramePainter.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Glyph.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/System/String.hpp>
#include <SFML/Window/Context.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <locale>
#include <new>

namespace qv
{

namespace
{

// A text pads each glyph's quad by a texel on every side so that smoothing never cuts it off.
const float GLYPH_PADDING = 1.0f;

// Every font texture keeps a white 2 x 2 square in its corner; its centre is white under smoothing.
const float WHITE_TEXEL = 1.0f;

// A game that draws far more than a screen between two frames still uses bounded memory: the
// queue is drawn early, which keeps the order.
const std::size_t MAX_QUEUED_VERTICES = 600000;

// Beyond this many glyph quads in a frame the rectangles are drawn whole again, which bounds the
// memory a frame's record takes.
const std::size_t MAX_NOTED_GLYPHS = 100000;

// Buckets along one side of the window: a cell each on any sensible grid.
const int MAX_BUCKETS = 256;

// Glyph quads one bucket records: where more are piled on the same cells, cutting each rectangle
// to them would cost more than drawing it whole, and the rest of the frame draws rectangles whole.
const std::size_t MAX_BUCKET_GLYPHS = 8;

// Is any part of [x0, x1) x [y0, y1) inside a window of `width` x `height` pixels? False for NaN.
bool boxReachesWindow(float x0, float y0, float x1, float y1, int width, int height)
{
    return x1 > 0.0f && y1 > 0.0f && x0 < static_cast<float>(width) && y0 < static_cast<float>(height);
}

// Side of a canvas tile, pixels: a few cells, so that a moving sprite redraws little more than itself.
const int TILE = 32;

// Vertices of one queued quad: two triangles.
const int QUAD = 6;

// How many pixels the rasteriser copies from the canvas in the time it draws one pixel of quads.
const double COPY_SAVING = 4.0;

// Calls of the graphics library that the window library does not make for us, looked up when the
// canvas is made: cutting drawing to a part of the target, and copying the canvas into the window.
struct GraphicsCalls
{
    void (*scissor)(GLint, GLint, GLsizei, GLsizei) = nullptr;
    void (*readPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void *) = nullptr;
    void (*enable)(GLenum) = nullptr;
    void (*disable)(GLenum) = nullptr;
    void (*genFramebuffers)(GLsizei, GLuint *) = nullptr;
    void (*bindFramebuffer)(GLenum, GLuint) = nullptr;
    void (*framebufferTexture2D)(GLenum, GLenum, GLenum, GLuint, GLint) = nullptr;
    GLenum (*checkFramebufferStatus)(GLenum) = nullptr;
    void (*blitFramebuffer)(GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLbitfield, GLenum) = nullptr;
};
GraphicsCalls gl;

// Points `function` at the named call of the current context; false when it has none.
template <typename Function> bool lookUp(Function &function, const char *name)
{
    function = reinterpret_cast<Function>(sf::Context::getFunction(name));
    return function != nullptr;
}

// Looks the calls up in the current context; false when one is missing.
bool lookUpGraphicsCalls()
{
    return lookUp(gl.scissor, "glScissor") && lookUp(gl.readPixels, "glReadPixels") && lookUp(gl.enable, "glEnable") &&
           lookUp(gl.disable, "glDisable") && lookUp(gl.genFramebuffers, "glGenFramebuffers") &&
           lookUp(gl.bindFramebuffer, "glBindFramebuffer") &&
           lookUp(gl.framebufferTexture2D, "glFramebufferTexture2D") &&
           lookUp(gl.checkFramebufferStatus, "glCheckFramebufferStatus") &&
           lookUp(gl.blitFramebuffer, "glBlitFramebuffer");
}

} // namespace

void FramePainter::start(sf::RenderWindow &target, const sf::Font &glyph_font, unsigned int size, bool bold_glyphs,
                         sf::Color background, int columns, int rows)
{
    stop();
    window = &target;
    font = &glyph_font;
    character_size = size;
    bold = bold_glyphs;
    background_color = background;
    const sf::Vector2u pixels = target.getSize();
    horizontal_pixels = static_cast<int>(pixels.x);
    vertical_pixels = static_cast<int>(pixels.y);
    bucket_columns = std::min(columns, MAX_BUCKETS);
    bucket_rows = std::min(rows, MAX_BUCKETS);
    tile_columns = (horizontal_pixels + TILE - 1) / TILE;
    tile_rows = (vertical_pixels + TILE - 1) / TILE;
    window_keeps = keepsPicture();
    if (!window_keeps)
        makeCanvas();
}

void FramePainter::stop()
{
    delete canvas;
    canvas = nullptr;
    last_known = false;
    canvas_valid = false;
    last_queue.clear();
    window = nullptr;
    font = nullptr;
    queue.clear();
    window_clean = false;
    window_blank = false;
    window_keeps = false;
    clear_pending = false;
    frame_glyphs.clear();
    glyph_marks.clear();
    glyph_buckets.clear();
    // The next start may have another font or character size.
    for (GlyphQuad &glyph : glyphs)
        glyph = GlyphQuad();
}

bool FramePainter::keepsPicture()
{
    if (!window->setActive(true) || !lookUpGraphicsCalls())
        return false;
    // Two frames of colours next to the background's, one after the other: where the window's
    // buffer keeps the last one, presenting copies the picture rather than trading buffers.
    const sf::Color first(background_color.r ^ 1, background_color.g, background_color.b);
    const sf::Color second(background_color.r ^ 2, background_color.g, background_color.b);
    window->clear(first);
    window->display();
    window->clear(second);
    window->display();
    GLubyte pixel[4] = {0, 0, 0, 0};
    gl.readPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    window->clear(background_color);
    return pixel[0] == second.r && pixel[1] == second.g && pixel[2] == second.b;
}

void FramePainter::makeCanvas()
{
    // Without a canvas every frame is drawn straight into the window, which gives the same pixels.
    canvas = new (std::nothrow) sf::RenderTexture();
    bool made =
        canvas &&
        canvas->create(static_cast<unsigned int>(horizontal_pixels), static_cast<unsigned int>(vertical_pixels)) &&
        window->setActive(true) && lookUpGraphicsCalls();
    // Framebuffers belong to one context: the one that copies the canvas is the window's.
    if (made)
    {
        gl.genFramebuffers(1, &canvas_framebuffer);
        gl.bindFramebuffer(GL_READ_FRAMEBUFFER, canvas_framebuffer);
        gl.framebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                canvas->getTexture().getNativeHandle(), 0);
        made = gl.checkFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        gl.bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    }
    if (!made)
    {
        delete canvas;
        canvas = nullptr;
    }
}

bool FramePainter::reachesWindow(float x, float y, char ch, float x0, float y0, float x1, float y1)
{
    if (boxReachesWindow(x0, y0, x1, y1, horizontal_pixels, vertical_pixels))
        return true;
    const GlyphQuad &glyph = glyphQuad(ch);
    return glyph.visible && boxReachesWindow(x + glyph.left, y + glyph.top, x + glyph.right, y + glyph.bottom,
                                             horizontal_pixels, vertical_pixels);
}

void FramePainter::queueCharacter(float x, float y, char ch, sf::Color color, float x0, float y0, float x1, float y1,
                                  sf::Color fill)
{
    queueRectangle(x0, y0, x1, y1, fill);
    const GlyphQuad &glyph = glyphQuad(ch);
    if (glyph.visible)
    {
        const float glyph_x0 = x + glyph.left;
        const float glyph_y0 = y + glyph.top;
        const float glyph_x1 = x + glyph.right;
        const float glyph_y1 = y + glyph.bottom;
        queueQuad(glyph_x0, glyph_y0, glyph_x1, glyph_y1, glyph.u1, glyph.v1, glyph.u2, glyph.v2, color);
        noteGlyph(glyph_x0, glyph_y0, glyph_x1, glyph_y1);
    }
    if (queue.size() > MAX_QUEUED_VERTICES)
        drawQueue();
}

void FramePainter::queueRectangle(float x0, float y0, float x1, float y1, sf::Color fill)
{
    int column0 = 0, row0 = 0, column1 = 0, row1 = 0;
    if (!window_clean || fill != background_color || !bucketRange(x0, y0, x1, y1, column0, row0, column1, row1))
    {
        queueQuad(x0, y0, x1, y1, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, fill);
        return;
    }
    // Elsewhere the rectangle lays the background over the background, or over rectangles of the
    // same opaque colour. Its white texel is sampled alike at every pixel, and the rasteriser
    // covers the pixels of a cut rectangle exactly where it covers both the rectangle and the
    // glyph quad, since the cut is made of their own edges.
    rectangle_mark++;
    for (int row = row0; row <= row1; row++)
    {
        for (int column = column0; column <= column1; column++)
        {
            for (int glyph : glyph_buckets[static_cast<std::size_t>(row * bucket_columns + column)])
            {
                if (glyph_marks[static_cast<std::size_t>(glyph)] == rectangle_mark)
                    continue;
                glyph_marks[static_cast<std::size_t>(glyph)] = rectangle_mark;
                const float *box = &frame_glyphs[static_cast<std::size_t>(glyph) * 4];
                const float cut_x0 = std::max(x0, box[0]);
                const float cut_y0 = std::max(y0, box[1]);
                const float cut_x1 = std::min(x1, box[2]);
                const float cut_y1 = std::min(y1, box[3]);
                if (cut_x0 < cut_x1 && cut_y0 < cut_y1)
                    queueQuad(cut_x0, cut_y0, cut_x1, cut_y1, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, fill);
            }
        }
    }
}

void FramePainter::noteGlyph(float x0, float y0, float x1, float y1)
{
    if (!window_clean)
        return;
    int column0 = 0, row0 = 0, column1 = 0, row1 = 0;
    if (glyph_marks.size() >= MAX_NOTED_GLYPHS || !bucketRange(x0, y0, x1, y1, column0, row0, column1, row1))
    {
        // A quad that is not recorded: every later rectangle is drawn whole.
        window_clean = false;
        return;
    }
    for (int row = row0; row <= row1; row++)
    {
        for (int column = column0; column <= column1; column++)
        {
            if (glyph_buckets[static_cast<std::size_t>(row * bucket_columns + column)].size() >= MAX_BUCKET_GLYPHS)
            {
                window_clean = false;
                return;
            }
        }
    }
    const int glyph = static_cast<int>(glyph_marks.size());
    frame_glyphs.insert(frame_glyphs.end(), {x0, y0, x1, y1});
    glyph_marks.push_back(0);
    for (int row = row0; row <= row1; row++)
        for (int column = column0; column <= column1; column++)
            glyph_buckets[static_cast<std::size_t>(row * bucket_columns + column)].push_back(glyph);
}

bool FramePainter::bucketRange(float x0, float y0, float x1, float y1, int &column0, int &row0, int &column1,
                               int &row1) const
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return false;
    // Quads beyond the window's edges share the edge buckets, which keeps every overlap found.
    const float bucket_width = static_cast<float>(horizontal_pixels) / static_cast<float>(bucket_columns);
    const float bucket_height = static_cast<float>(vertical_pixels) / static_cast<float>(bucket_rows);
    const float last_column = static_cast<float>(bucket_columns - 1);
    const float last_row = static_cast<float>(bucket_rows - 1);
    column0 = static_cast<int>(std::clamp(std::floor(x0 / bucket_width), 0.0f, last_column));
    column1 = static_cast<int>(std::clamp(std::floor(x1 / bucket_width), 0.0f, last_column));
    row0 = static_cast<int>(std::clamp(std::floor(y0 / bucket_height), 0.0f, last_row));
    row1 = static_cast<int>(std::clamp(std::floor(y1 / bucket_height), 0.0f, last_row));
    return true;
}

const FramePainter::GlyphQuad &FramePainter::glyphQuad(char ch)
{
    GlyphQuad &quad = glyphs[static_cast<unsigned char>(ch)];
    if (quad.looked_up)
        return quad;
    quad.looked_up = true;
    // The same conversion and the same skipped characters as a one-character text.
    const sf::Uint32 code = sf::String(ch, std::locale())[0];
    if (code == ' ' || code == '\n' || code == '\t' || code == '\r')
        return quad;
    const sf::Glyph &glyph = font->getGlyph(code, character_size, bold);
    const float baseline = static_cast<float>(character_size);
    quad.visible = true;
    quad.left = glyph.bounds.left - GLYPH_PADDING;
    quad.right = glyph.bounds.left + glyph.bounds.width + GLYPH_PADDING;
    quad.top = baseline + (glyph.bounds.top - GLYPH_PADDING);
    quad.bottom = baseline + (glyph.bounds.top + glyph.bounds.height + GLYPH_PADDING);
    quad.u1 = static_cast<float>(glyph.textureRect.left) - GLYPH_PADDING;
    quad.v1 = static_cast<float>(glyph.textureRect.top) - GLYPH_PADDING;
    quad.u2 = static_cast<float>(glyph.textureRect.left + glyph.textureRect.width) + GLYPH_PADDING;
    quad.v2 = static_cast<float>(glyph.textureRect.top + glyph.textureRect.height) + GLYPH_PADDING;
    return quad;
}

void FramePainter::queueQuad(float x0, float y0, float x1, float y1, float u1, float v1, float u2, float v2,
                             sf::Color color)
{
    // The corner order of a text's glyph quads: the two triangles meet on the same diagonal.
    const sf::Vertex top_left(sf::Vector2f(x0, y0), color, sf::Vector2f(u1, v1));
    const sf::Vertex top_right(sf::Vector2f(x1, y0), color, sf::Vector2f(u2, v1));
    const sf::Vertex bottom_left(sf::Vector2f(x0, y1), color, sf::Vector2f(u1, v2));
    const sf::Vertex bottom_right(sf::Vector2f(x1, y1), color, sf::Vector2f(u2, v2));
    queue.push_back(top_left);
    queue.push_back(top_right);
    queue.push_back(bottom_left);
    queue.push_back(bottom_left);
    queue.push_back(top_right);
    queue.push_back(bottom_right);
}

void FramePainter::flush()
{
    drawQueue();
    if (clear_pending)
        window->clear(background_color);
    clear_pending = false;
    // The caller is about to draw what the rectangles cannot know of.
    window_clean = false;
    window_blank = false;
    if (window_keeps)
        last_known = false;
}

void FramePainter::finishFrame()
{
    drawQueue();
}

void FramePainter::frameShown()
{
    // A window that keeps its picture is cleared when the next frame is drawn, only where it changes.
    if (window_keeps)
        clear_pending = true;
    else
        window->clear(background_color);
    windowCleared();
}

void FramePainter::windowCleared()
{
    window_clean = true;
    window_blank = true;
    frame_glyphs.clear();
    glyph_marks.clear();
    rectangle_mark = 0;
    glyph_buckets.resize(static_cast<std::size_t>(bucket_columns) * static_cast<std::size_t>(bucket_rows));
    for (std::vector<int> &bucket : glyph_buckets)
        bucket.clear();
}

void FramePainter::drawQueue()
{
    if (!window)
        return;
    const bool first = window_blank;
    window_blank = false;
    if (first && window_keeps)
    {
        drawOverLastFrame();
        return;
    }
    // An empty frame leaves the cleared window as it is; the next is compared with an empty one.
    if (first && queue.empty())
    {
        last_queue.clear();
        last_known = sortIntoTiles(last_queue, last_tiles);
        canvas_valid = false;
        return;
    }
    if (first && drawThroughCanvas())
    {
        queue.clear();
        return;
    }
    if (queue.empty())
        return;
    sf::RenderStates states;
    states.texture = &font->getTexture(character_size);
    window->draw(queue.data(), queue.size(), sf::Triangles, states);
    queue.clear();
    // What the window shows is no longer the last frame's first draw alone.
    if (window_keeps)
        last_known = false;
}

bool FramePainter::plainView() const
{
    // A picture kept from the last frame stands for the window only where both map the same
    // pixels the same way.
    const sf::View &view = window->getView();
    const sf::View &plain = window->getDefaultView();
    return view.getCenter() == plain.getCenter() && view.getSize() == plain.getSize() && view.getRotation() == 0.0f &&
           view.getViewport() == plain.getViewport() &&
           window->getSize() ==
               sf::Vector2u(static_cast<unsigned int>(horizontal_pixels), static_cast<unsigned int>(vertical_pixels));
}

void FramePainter::drawOverLastFrame()
{
    const bool sorted = plainView() && sortIntoTiles(queue, tiles);
    const bool changes_little = sorted && last_known && markChangedTiles() * 2 <= tiles.size();
    if (changes_little)
    {
        redrawTiles(*window, dirty_tiles);
    }
    else
    {
        window->clear(background_color);
        if (!queue.empty())
        {
            sf::RenderStates states;
            states.texture = &font->getTexture(character_size);
            window->draw(queue.data(), queue.size(), sf::Triangles, states);
        }
    }
    clear_pending = false;
    std::swap(queue, last_queue);
    std::swap(tiles, last_tiles);
    last_known = sorted;
    queue.clear();
}

std::size_t FramePainter::markChangedTiles()
{
    const std::size_t tile_count = tiles.size();
    dirty_tiles.assign(tile_count, 1);
    std::size_t dirty = 0;
    for (std::size_t tile = 0; tile < tile_count; tile++)
    {
        const std::vector<int> &now = tiles[tile];
        bool same = last_known && now.size() == last_tiles[tile].size();
        for (std::size_t i = 0; same && i < now.size(); i++)
            same =
                std::memcmp(&queue[static_cast<std::size_t>(now[i])],
                            &last_queue[static_cast<std::size_t>(last_tiles[tile][i])], QUAD * sizeof(sf::Vertex)) == 0;
        dirty_tiles[tile] = same ? 0 : 1;
        if (!same)
            dirty++;
    }
    return dirty;
}

bool FramePainter::sortIntoTiles(const std::vector<sf::Vertex> &vertices, std::vector<std::vector<int>> &lists)
{
    lists.resize(static_cast<std::size_t>(tile_columns) * static_cast<std::size_t>(tile_rows));
    for (std::vector<int> &list : lists)
        list.clear();
    window_tiles.assign(lists.size(), 0);
    const float last_column = static_cast<float>(tile_columns - 1);
    const float last_row = static_cast<float>(tile_rows - 1);
    for (std::size_t first = 0; first + QUAD <= vertices.size(); first += QUAD)
    {
        // The first and last corners of a quad are its top left and bottom right.
        const sf::Vector2f top_left = vertices[first].position;
        const sf::Vector2f bottom_right = vertices[first + QUAD - 1].position;
        if (!std::isfinite(top_left.x) || !std::isfinite(top_left.y) || !std::isfinite(bottom_right.x) ||
            !std::isfinite(bottom_right.y))
            return false;
        // The graphics driver numbers a window's rows from the top and a texture's from the bottom.
        // Both light the same pixels, but a glyph between two pixels samples its texture with
        // other rounding, which can move a smoothed edge by one step: its tiles are drawn in the
        // window itself. Rectangles sample one texel alike everywhere.
        const bool between_pixels =
            vertices[first].texCoords != vertices[first + QUAD - 1].texCoords &&
            (top_left.x != std::floor(top_left.x) || top_left.y != std::floor(top_left.y) ||
             bottom_right.x != std::floor(bottom_right.x) || bottom_right.y != std::floor(bottom_right.y));
        // A pixel more on every side than the quad's box keeps every pixel the rasteriser lights.
        const float tile = static_cast<float>(TILE);
        const int column0 = static_cast<int>(std::clamp(std::floor((top_left.x - 1.0f) / tile), 0.0f, last_column));
        const int column1 = static_cast<int>(std::clamp(std::floor((bottom_right.x + 1.0f) / tile), 0.0f, last_column));
        const int row0 = static_cast<int>(std::clamp(std::floor((top_left.y - 1.0f) / tile), 0.0f, last_row));
        const int row1 = static_cast<int>(std::clamp(std::floor((bottom_right.y + 1.0f) / tile), 0.0f, last_row));
        for (int row = row0; row <= row1; row++)
        {
            for (int column = column0; column <= column1; column++)
            {
                const std::size_t tile = static_cast<std::size_t>(row * tile_columns + column);
                lists[tile].push_back(static_cast<int>(first));
                window_tiles[tile] |= between_pixels;
            }
        }
    }
    return true;
}

bool FramePainter::drawThroughCanvas()
{
    if (!canvas || !plainView() || !sortIntoTiles(queue, tiles))
    {
        last_known = false;
        canvas_valid = false;
        return false;
    }

    const std::size_t tile_count = tiles.size();
    const std::size_t dirty = markChangedTiles();
    const std::size_t redrawn = static_cast<std::size_t>(std::count(window_tiles.begin(), window_tiles.end(), 1));
    // Where the quads cover little of the window, or most of them are drawn again anyway,
    // drawing them straight into the window costs less than redrawing and copying the canvas.
    double area = 0;
    for (std::size_t first = 0; first + QUAD <= queue.size(); first += QUAD)
        area += static_cast<double>(queue[first + QUAD - 1].position.x - queue[first].position.x) *
                static_cast<double>(queue[first + QUAD - 1].position.y - queue[first].position.y);
    const double window_area = static_cast<double>(horizontal_pixels) * static_cast<double>(vertical_pixels);
    const double redrawn_share = static_cast<double>(dirty + redrawn) / static_cast<double>(tile_count);
    if (window_area / COPY_SAVING + redrawn_share * area >= area)
    {
        // The next frame is compared with this one, though the canvas does not show it.
        last_queue = queue;
        std::swap(tiles, last_tiles);
        last_known = true;
        canvas_valid = false;
        return false;
    }

    if (!canvas_valid)
    {
        canvas->clear(background_color);
        if (!queue.empty())
        {
            sf::RenderStates states;
            states.texture = &font->getTexture(character_size);
            canvas->draw(queue.data(), queue.size(), sf::Triangles, states);
        }
    }
    else if (dirty > 0)
    {
        redrawTiles(*canvas, dirty_tiles);
    }
    canvas->display();
    canvas_valid = true;

    window->setActive(true);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, canvas_framebuffer);
    gl.blitFramebuffer(0, 0, horizontal_pixels, vertical_pixels, 0, 0, horizontal_pixels, vertical_pixels,
                       GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (redrawn > 0)
        redrawTiles(*window, window_tiles);

    std::swap(queue, last_queue);
    std::swap(tiles, last_tiles);
    last_known = true;
    return true;
}

void FramePainter::redrawTiles(sf::RenderTarget &target, const std::vector<char> &chosen)
{
    target.setActive(true);
    gl.enable(GL_SCISSOR_TEST);
    quad_marks.assign(queue.size() / QUAD, -1);
    // Each run of chosen tiles along a row is cleared and redrawn in one call.
    for (int row = 0; row < tile_rows; row++)
    {
        for (int column = 0; column < tile_columns; column++)
        {
            if (!chosen[static_cast<std::size_t>(row * tile_columns + column)])
                continue;
            int end = column;
            while (end + 1 < tile_columns && chosen[static_cast<std::size_t>(row * tile_columns + end + 1)])
                end++;
            redrawRun(target, row, column, end);
            column = end;
        }
    }
    gl.disable(GL_SCISSOR_TEST);
}

void FramePainter::redrawRun(sf::RenderTarget &target, int row, int column0, int column1)
{
    // A quad reaching several of the tiles is drawn once, in its place in the call order.
    const int mark = row * tile_columns + column0;
    redraw_quads.clear();
    for (int column = column0; column <= column1; column++)
    {
        for (int first : tiles[static_cast<std::size_t>(row * tile_columns + column)])
        {
            int &quad_mark = quad_marks[static_cast<std::size_t>(first / QUAD)];
            if (quad_mark == mark)
                continue;
            quad_mark = mark;
            redraw_quads.push_back(first);
        }
    }
    std::sort(redraw_quads.begin(), redraw_quads.end());
    redraw_vertices.clear();
    for (int first : redraw_quads)
        redraw_vertices.insert(redraw_vertices.end(), queue.begin() + first, queue.begin() + first + QUAD);

    // The scissor counts rows from the bottom.
    const int x0 = column0 * TILE;
    const int x1 = std::min((column1 + 1) * TILE, horizontal_pixels);
    const int y0 = row * TILE;
    const int y1 = std::min((row + 1) * TILE, vertical_pixels);
    gl.scissor(x0, vertical_pixels - y1, x1 - x0, y1 - y0);
    target.clear(background_color);
    if (redraw_vertices.empty())
        return;
    sf::RenderStates states;
    states.texture = &font->getTexture(character_size);
    target.draw(redraw_vertices.data(), redraw_vertices.size(), sf::Triangles, states);
}

} // namespace qv
