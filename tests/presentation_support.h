#pragma once

#include "test_support.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Image.hpp>

#include <functional>
#include <string>
#include <vector>

// Tests that draw into a real window of 960 x 720 pixels and 80 x 24 cells of 12 x 30 pixels. They
// need an X display (./test.sh runs them under Xvfb) and are skipped only when there is none.
class WindowTest : public EngineTest
{
protected:
    void SetUp() override;
    void TearDown() override;
    /// Starts the engine with the window; `extra` is appended to the configuration.
    void startWindow(const std::string &extra = "");
    /// The window's current (not yet shown) drawing, queued characters included.
    sf::Image capture() const;
    /// The view positions "(x,y)", two decimals, of the cells drawn while `draw` ran.
    std::vector<std::string> drawnCells(const std::function<void()> &draw) const;

    bool started = false; // the engine runs and must be stopped
};

/// Is every channel of `actual` within `tolerance` of `expected`?
bool near(sf::Color actual, sf::Color expected, int tolerance = 40);
/// Pixels of the rectangle [x0, x1) x [y0, y1) that satisfy `test`.
int countPixels(const sf::Image &image, int x0, int y0, int x1, int y1, const std::function<bool(sf::Color)> &test);
/// Is the pixel mostly this pure colour (channels above 128 where `expected` has 255, below 100 elsewhere)?
bool isMostly(sf::Color actual, sf::Color expected);

/// The smallest box, inclusive, around the pixels that satisfy `test`; empty (x0 > x1) when there are none.
struct PixelBox
{
    int x0, y0, x1, y1;
};
PixelBox boundingBox(const sf::Image &image, const std::function<bool(sf::Color)> &test);

/// Starts an X server of the test's own, which resets whenever its last client leaves as a
/// server started with its defaults does, and returns its display number, or -1. The server
/// stops when the test process ends, however that ends.
int startDisplayServer();

/// A mono 16-bit PCM WAV file of `samples` samples of a square wave at 8000 samples per second.
std::string wavFile(int samples);
