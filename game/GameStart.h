#pragma once

#include "ViewObject.h"

class Hero;
class Map;

/// Width of the world, cells: 8 spaces of 80 columns, plus one.
const int WORLD_WIDTH = 641;
/// Height of the world, cells: 4 spaces of 24 rows, plus one.
const int WORLD_HEIGHT = 97;

/// The title screen, which owns the start of play. It creates the hero (hidden) and the map up
/// front; releasing P shows the hero, creates the hunger bar and the floor counter, builds the
/// first floor, starts the music and hides the title. Q quits at any time.
class GameStart : public qv::ViewObject
{
public:
    /// The title, centred on the screen, with a hidden hero and an empty map.
    GameStart();

    /// Starts play on P released (once) and ends the game on Q; 1 for keyboard events, else 0.
    int eventHandler(const qv::Event *p_event) override;
    /// Draws the title's sprite, as a plain object does.
    int draw() override;

    /// The hero. Owned by the world manager.
    Hero *getHero() const;
    /// The map. Owned by the world manager.
    Map *getMap() const;
    /// Has play been started with P?
    bool isStarted() const;

private:
    void start();

    Hero *hero = nullptr; // owned by the world manager
    Map *map = nullptr;   // owned by the world manager
    bool started = false; // play has been started with P
};

/// Loads every sprite of the game and its music into the resource manager. Files that fail to
/// load leave only the resource manager's log lines.
void loadResources();
