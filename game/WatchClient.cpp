#include "WatchClient.h"

#include "Box.h"
#include "Color.h"
#include "EventKeyboard.h"
#include "EventNetwork.h"
#include "EventStep.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Map.h"
#include "NetworkManager.h"
#include "Sprite.h"
#include "SpriteView.h"
#include "ViewObject.h"
#include "Wall.h"
#include "WatchServer.h"
#include "WorldManager.h"
#include "attribute_text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace
{

// Messages read in one step at most: the game sends one a pass, so more means the watcher lags.
const int MESSAGES_PER_STEP = 16;

// Bytes of messages read in one step at most, beyond the first message: a game sends its whole
// world once and small changes after, so more is a peer that would stall the watcher's frames.
const int BYTES_PER_STEP = 256 * 1024;

// The longest record a game sends: an object's drawn items, or a display's short text.
const std::size_t MAX_RECORD_BYTES = 4096;

// The characters all copies may draw in a frame, in screens of a floor's size: a game's walls,
// sprites and displays fill a few; a peer that sends more would make every frame draw that much.
const long long MAX_DRAWN_CHARACTERS = 16LL * SPACE_WIDTH * SPACE_HEIGHT;

// A whole decimal number from 1 to INT_MAX - 1, and nothing else.
bool readId(const std::string &text, int *p_id)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long long value = std::atoll(text.c_str());
    if (value < 1 || value >= INT_MAX)
        return false;
    *p_id = static_cast<int>(value);
    return true;
}

bool readFloat(const std::string &text, float *p_value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    const float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || errno != 0 || !std::isfinite(value))
        return false;
    *p_value = value;
    return true;
}

// The whole cells of a wall's extent, within the largest wall a floor has; counts in `p_clamped`
// an extent larger than that.
int wallExtent(const std::string &items, const char *key, int largest, int *p_clamped)
{
    const float extent = qv::textToFloat(qv::match(items, key));
    if (!(extent > 0))
        return 0;
    if (extent > static_cast<float>(largest))
    {
        (*p_clamped)++;
        return largest;
    }
    return static_cast<int>(extent);
}

// Characters the copy draws in a frame: a wall's cells, a display's text, a sprite's frame.
long long drawnCharacters(const qv::Object *p_o)
{
    if (!p_o->isVisible())
        return 0;
    if (const Wall *p_wall = dynamic_cast<const Wall *>(p_o))
        return static_cast<long long>(p_wall->getWidth() / 2 * 2 + 1) * (p_wall->getHeight() / 2 * 2 + 1);
    // A display draws its text, its value and a border around them.
    if (const qv::ViewObject *p_view = dynamic_cast<const qv::ViewObject *>(p_o))
        return static_cast<long long>(p_view->getViewString().size()) + 16;
    const qv::Sprite *p_sprite = p_o->getAnimation().getSprite();
    if (p_sprite == nullptr)
        return 0;
    return static_cast<long long>(p_sprite->getWidth()) * p_sprite->getHeight();
}

} // namespace

WatchClient::WatchClient(int init_connection) : connection(init_connection)
{
    setType("WatchClient");
    setSolidness(qv::SPECTRAL);
    setVisible(false);
    registerInterest(qv::STEP_EVENT);
    registerInterest(qv::KEYBOARD_EVENT);
    registerInterest(qv::NETWORK_EVENT);
}

int WatchClient::eventHandler(const qv::Event *p_event)
{
    const std::string type = p_event->getType();
    if (type == qv::STEP_EVENT)
    {
        poll();
        return 1;
    }
    if (type == qv::KEYBOARD_EVENT)
    {
        const qv::EventKeyboard *p_keyboard = dynamic_cast<const qv::EventKeyboard *>(p_event);
        // Only the press: the Q that closed another window may still be held when this one
        // takes the focus.
        if (p_keyboard != nullptr && p_keyboard->getKey() == qv::Keyboard::Q &&
            p_keyboard->getKeyboardAction() == qv::KEY_PRESSED && !leaving)
        {
            leaving = true;
            qv::LogManager::getInstance().writeLog("WatchClient::eventHandler(): Leaving the game.");
            // Closed now, the game drops this watcher at once instead of when its queue overflows.
            if (!closed)
                qv::NetworkManager::getInstance().close(connection);
            qv::GameManager::getInstance().setGameOver(true);
        }
        return 1;
    }
    if (type != qv::NETWORK_EVENT)
        return Object::eventHandler(p_event);
    const qv::EventNetwork *p_network = dynamic_cast<const qv::EventNetwork *>(p_event);
    if (p_network == nullptr || p_network->getSocketIndex() != connection || closed)
        return 1;
    if (p_network->getLabel() == qv::DATA)
    {
        std::string message;
        if (qv::NetworkManager::getInstance().receive(connection, message) > 0)
        {
            step_bytes += static_cast<long long>(message.size());
            apply(message);
        }
    }
    else if (p_network->getLabel() == qv::CLOSE)
    {
        closed = true;
        if (!leaving)
        {
            qv::LogManager::getInstance().writeLog("WatchClient::eventHandler(): The game has ended.");
            showNotice(game_over ? "GAME OVER - the game has ended - Q closes" : "The game has ended - Q closes");
        }
    }
    return 1;
}

void WatchClient::poll()
{
    // With networking on, the game manager announces messages too; announcing them here as well
    // lets a watcher work with it off, and a message is read only once either way.
    qv::NetworkManager &network_manager = qv::NetworkManager::getInstance();
    step_bytes = 0;
    for (int i = 0; i < MESSAGES_PER_STEP && !closed && step_bytes < BYTES_PER_STEP; i++)
        if (network_manager.genDataEvents(connection) <= 0)
            break;
}

int WatchClient::apply(const std::string &message)
{
    qv::LogManager &log = qv::LogManager::getInstance();
    const std::size_t first_end = message.find('\n');
    if (first_end == std::string::npos || message.compare(0, first_end, WATCH_HEADER) != 0)
    {
        log.writeLog("WatchClient::apply(): Warning! Refused a message of %zu bytes that is not from a game.",
                     message.size());
        return -1;
    }
    int refused = 0;
    clamped_extents = 0;
    for (std::size_t start = first_end + 1; start < message.size();)
    {
        std::size_t end = message.find('\n', start);
        if (end == std::string::npos)
            end = message.size();
        if (!applyRecord(message.substr(start, end - start)))
            refused++;
        start = end + 1;
    }
    if (clamped_extents > 0)
        log.writeLog("WatchClient::apply(): Warning! %d wall extent(s) larger than a floor's are drawn as large as a "
                     "floor allows.",
                     clamped_extents);
    boundDrawing();
    if (refused == 0)
        return 0;
    log.writeLog("WatchClient::apply(): Warning! Refused %d record(s) of a message.", refused);
    return -1;
}

void WatchClient::boundDrawing()
{
    long long drawn = 0;
    int hidden = 0;
    // The copies are taken in the game's order of making them: what came last is hidden first.
    for (const auto &[id, p_mirror] : mirrors)
    {
        drawn += drawnCharacters(p_mirror);
        if (drawn <= MAX_DRAWN_CHARACTERS)
            continue;
        drawn -= drawnCharacters(p_mirror);
        p_mirror->setVisible(false);
        hidden++;
    }
    if (hidden > 0 && !drawing_bounded)
        qv::LogManager::getInstance().writeLog(
            "WatchClient::apply(): Warning! The copies would draw more than %lld characters a frame, which no game "
            "does; %d of them are hidden.",
            MAX_DRAWN_CHARACTERS, hidden);
    drawing_bounded = drawing_bounded || hidden > 0;
}

bool WatchClient::applyRecord(const std::string &line)
{
    if (line.size() < 1 || line.size() > MAX_RECORD_BYTES || (line.size() > 1 && line[1] != ' '))
        return false;
    const std::string rest = line.size() > 2 ? line.substr(2) : "";
    const std::size_t blank = rest.find(' ');
    const std::string first = rest.substr(0, blank);
    const std::string after = blank == std::string::npos ? "" : rest.substr(blank + 1);
    int id = 0;
    switch (line[0])
    {
    case 'N':
    {
        const std::size_t id_end = after.find(' ');
        if (first.size() != 1 || id_end == std::string::npos || !readId(after.substr(0, id_end), &id))
            return false;
        return addMirror(first[0], id, after.substr(id_end + 1));
    }
    case 'C':
    {
        const auto found = mirrors.find(readId(first, &id) ? id : 0);
        if (found == mirrors.end())
            return false;
        found->second->deserialize(watchedItems(after));
        return true;
    }
    case 'D':
    {
        const auto found = mirrors.find(readId(rest, &id) ? id : 0);
        if (found == mirrors.end())
            return false;
        qv::WorldManager::getInstance().markForDelete(found->second);
        mirrors.erase(found);
        return true;
    }
    case 'V':
    {
        float x = 0;
        float y = 0;
        if (!readFloat(first, &x) || !readFloat(after, &y))
            return false;
        qv::WorldManager &world_manager = qv::WorldManager::getInstance();
        const qv::Box view = world_manager.getView();
        world_manager.setView(qv::Box(qv::Vector(x, y), view.getHorizontal(), view.getVertical()));
        return true;
    }
    case 'G':
        if (line.size() != 1)
            return false;
        if (!game_over)
        {
            game_over = true;
            qv::LogManager::getInstance().writeLog("WatchClient::applyRecord(): The game is over.");
            showNotice("GAME OVER - Q closes");
        }
        return true;
    default:
        return false;
    }
}

bool WatchClient::addMirror(char kind, int id, const std::string &items)
{
    const std::string watched = watchedItems(items);
    const auto found = mirrors.find(id);
    if (found != mirrors.end())
    {
        // Sent again in full, as to a watcher that joins: the copy is brought up to date.
        found->second->deserialize(watched);
        return true;
    }
    if (static_cast<int>(mirrors.size()) >= MAX_MIRRORS)
        return false;
    qv::Object *p_mirror = nullptr;
    switch (kind)
    {
    case 'o':
        p_mirror = new qv::Object;
        break;
    case 'w':
        p_mirror = new Wall(wallExtent(watched, "box-horizontal", SPACE_WIDTH, &clamped_extents),
                            wallExtent(watched, "box-vertical", SPACE_HEIGHT, &clamped_extents));
        break;
    case 'v':
        p_mirror = new qv::ViewObject;
        break;
    case 's':
        p_mirror = new SpriteView;
        break;
    default:
        return false;
    }
    // A copy only shows what the game did: it must neither block nor be blocked.
    p_mirror->setSolidness(qv::SPECTRAL);
    p_mirror->deserialize(watched);
    mirrors[id] = p_mirror;
    return true;
}

void WatchClient::showNotice(const std::string &text)
{
    if (p_notice == nullptr)
    {
        p_notice = new qv::ViewObject;
        p_notice->setLocation(qv::TOP_CENTER);
        p_notice->setColor(qv::YELLOW);
        p_notice->setDrawValue(false);
    }
    p_notice->setViewString(text);
}

qv::Object *WatchClient::getMirror(int id) const
{
    const auto found = mirrors.find(id);
    return found == mirrors.end() ? nullptr : found->second;
}

int WatchClient::getMirrorCount() const
{
    return static_cast<int>(mirrors.size());
}

bool WatchClient::isGameOver() const
{
    return game_over;
}

bool WatchClient::isClosed() const
{
    return closed;
}
