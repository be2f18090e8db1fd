#pragma once

#include "Manager.h"
#include "Music.h"
#include "Sound.h"

#include <string>

namespace qv
{

class Sprite;

/// Most sprites the resource manager holds.
const int MAX_SPRITES = 1000;
/// Most sound effects the resource manager holds.
const int MAX_SOUNDS = 100;
/// Most pieces of music the resource manager holds.
const int MAX_MUSICS = 50;

/// Owns every sprite and piece of music the game loads and finds them by label.
///
/// The game loads everything once, after the game manager has started the engine: sprites from
/// sprite files with `loadSprite` (every fault in a file is reported in the log with its line),
/// music with `loadMusic`. Objects then look sprites up with `getSprite` and keep the pointer;
/// sprites live until `shutDown` deletes them, music until the program ends. The tables have a
/// fixed size, so pointers stay valid while more is loaded.
///
/// A sprite file has three sections, each between a line "<NAME>" and a line "</NAME>":
/// "HEADER" with lines "frames N", "width N", "height N" and optionally "color NAME",
/// "transparency C" and "slowdown N"; "BODY" with, per frame, `height` rows of `width` characters
/// followed by a line "end"; "FOOTER" with a line "version V". No line inside a section may be
/// empty, and the last line must end with a line feed.
class ResourceManager : public Manager
{
public:
    /// The one resource manager, made on first use.
    static ResourceManager &getInstance();
    /// Releases the sprites still loaded.
    ~ResourceManager() override;

    /// Empties the tables, finds out whether there is sound and marks the manager started; always 0.
    int startUp() override;
    /// Deletes every sprite (pointers handed out become invalid) and stops sounds and music.
    void shutDown() override;

    /// Loads a sprite file and files the sprite under `label`; 0, or -1 with the reasons in the log.
    int loadSprite(std::string file_name, std::string label);
    /// The first loaded sprite with this label, or null. Owned by the manager.
    Sprite *getSprite(const std::string &label) const;
    /// Opens a music file for streaming and files it under `label`; 0, or -1.
    int loadMusic(std::string file_name, std::string label);
    /// The first loaded music with this label, or null. Owned by the manager.
    Music *getMusic(const std::string &label);
    /// Can an audio device be opened? Found out on the first call and kept; without one, music
    /// and sounds load and play silently and the audio library is never touched.
    bool hasAudioDevice();

private:
    ResourceManager();

    Sprite *sprites[MAX_SPRITES] = {}; // owned; loaded sprites in load order
    int sprite_count = 0;              // entries of sprites in use
    Sound sounds[MAX_SOUNDS];          // sound effects; nothing fills them yet, and empty ones cost nothing
    int sound_count = 0;               // entries of sounds in use
    Music musics[MAX_MUSICS];          // loaded music in load order
    int music_count = 0;               // entries of musics in use
    int audio_device = -1;             // 1 when an audio device can be opened, 0 when not, -1 not yet known
};

} // namespace qv
