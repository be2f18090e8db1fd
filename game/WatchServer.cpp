#include "WatchServer.h"

#include "Event.h"
#include "EventGameOver.h"
#include "EventNetwork.h"
#include "EventStep.h"
#include "GameStart.h"
#include "LogManager.h"
#include "NetworkManager.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "SceneGraph.h"
#include "ViewObject.h"
#include "Wall.h"
#include "WorldManager.h"
#include "attribute_text.h"

#include <set>

namespace
{

const char *const WATCHED_KEYS[] = {
    "is_active",  "is_visible",  "box-corner-x", "box-corner-y",  "box-horizontal", "box-vertical",
    "pos-x",      "pos-y",       "type",         "sprite_name",   "sprite_index",   "sprite_slowdown_count",
    "altitude",   "shape",       "size",         "color",         "opacity",        "view_string",
    "view_value", "view_border", "view_color",   "view_location", "view_draw_value"};

bool isWatchedKey(const std::string &key)
{
    for (const char *watched : WATCHED_KEYS)
        if (key == watched)
            return true;
    return false;
}

std::string newRecord(const qv::Object *p_o, const std::string &items)
{
    return std::string("N ") + watchKind(p_o) + " " + qv::toString(p_o->getId()) + " " + items + "\n";
}

// The watched keys an object reads only together, as one attribute; any other key stands alone.
const std::vector<std::vector<std::string>> KEY_GROUPS = {
    {"box-corner-x", "box-corner-y", "box-horizontal", "box-vertical"},
    {"pos-x", "pos-y"},
    {"sprite_name", "sprite_index", "sprite_slowdown_count"},
    {"shape", "size", "color", "opacity"}};

// The first key of the attribute `key` belongs to.
std::string attributeOf(const std::string &key)
{
    for (const std::vector<std::string> &group : KEY_GROUPS)
        for (const std::string &member : group)
            if (key == member)
                return group.front();
    return key;
}

// The comma-ended items of attribute text, each with its key.
std::vector<std::pair<std::string, std::string>> splitItems(const std::string &text)
{
    std::vector<std::pair<std::string, std::string>> items;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        items.emplace_back(item.substr(0, item.find(':')), item);
        start = end + 1;
    }
    return items;
}

// The attributes of `items` with a value that differs from the one in `sent`, whole and in their
// order; `sent` takes the new values.
std::string unsent(const std::string &items, std::map<std::string, std::string> &sent)
{
    const std::vector<std::pair<std::string, std::string>> read = splitItems(items);
    std::set<std::string> changed; // attributes, by their first key
    for (const auto &[key, item] : read)
    {
        std::string &last = sent[key];
        if (last != item)
            changed.insert(attributeOf(key));
        last = item;
    }
    std::string kept;
    for (const auto &[key, item] : read)
        if (changed.count(attributeOf(key)) != 0)
            kept += item + ",";
    return kept;
}

} // namespace

std::vector<qv::Object *> allObjects()
{
    qv::SceneGraph &scene_graph = qv::WorldManager::getInstance().getSceneGraph();
    std::vector<qv::Object *> found;
    const qv::ObjectList lists[2] = {scene_graph.activeObjects(), scene_graph.inactiveObjects()};
    for (const qv::ObjectList &list : lists)
    {
        qv::ObjectListIterator it(&list);
        for (it.first(); !it.isDone(); it.next())
            found.push_back(it.currentObject());
    }
    return found;
}

std::string watchedItems(const std::string &text)
{
    std::string kept;
    for (const auto &[key, item] : splitItems(text))
        if (isWatchedKey(key))
            kept += item + ",";
    return kept;
}

char watchKind(const qv::Object *p_o)
{
    if (dynamic_cast<const Wall *>(p_o) != nullptr)
        return 'w';
    if (dynamic_cast<const GameStart *>(p_o) != nullptr)
        return 's';
    if (dynamic_cast<const qv::ViewObject *>(p_o) != nullptr)
        return 'v';
    return 'o';
}

WatchServer::WatchServer()
{
    setType("WatchServer");
    setSolidness(qv::SPECTRAL);
    setVisible(false);
    registerInterest(qv::STEP_EVENT);
    registerInterest(qv::NETWORK_EVENT);
    registerInterest(GAME_OVER_EVENT);
    qv::NetworkManager::getInstance().setMaxSockets(MAX_WATCHERS);
}

int WatchServer::eventHandler(const qv::Event *p_event)
{
    const std::string type = p_event->getType();
    if (type == qv::STEP_EVENT)
    {
        sendPass();
        return 1;
    }
    if (type == qv::NETWORK_EVENT)
    {
        onNetwork(p_event);
        return 1;
    }
    if (type == GAME_OVER_EVENT)
    {
        game_over = true;
        // The hero and the title handle game over too.
        return 0;
    }
    return Object::eventHandler(p_event);
}

void WatchServer::sendPass()
{
    // Computed with no one watching as well, so that the objects' flags and the list of known
    // objects are current when the first watcher joins.
    const std::string message = changes();
    bool anyone_new = false;
    for (std::size_t i = 0; i < watchers.size();)
    {
        const std::size_t before = watchers.size();
        if (watchers[i].joined)
            sendTo(i, message);
        else
            anyone_new = true;
        if (watchers.size() == before)
            i++;
    }
    if (!anyone_new)
        return;
    const std::string world = wholeWorld();
    for (std::size_t i = 0; i < watchers.size();)
    {
        const std::size_t before = watchers.size();
        if (!watchers[i].joined)
        {
            qv::LogManager::getInstance().writeLog("WatchServer::sendPass(): Watcher %d gets the world (%zu bytes).",
                                                   watchers[i].index, world.size() + 4);
            watchers[i].joined = true;
            sendTo(i, world);
        }
        if (watchers.size() == before)
            i++;
    }
}

void WatchServer::sendTo(std::size_t watcher, const std::string &message)
{
    // A watcher that cannot keep up is queued for by the network manager and dropped by it when
    // too far behind; the game never waits for one.
    qv::NetworkManager::getInstance().send(watchers[watcher].index, message);
}

std::string WatchServer::changes()
{
    std::string message = WATCH_HEADER + "\n";
    std::set<int> present;
    for (qv::Object *p_o : allObjects())
    {
        if (p_o == this)
            continue;
        const int id = p_o->getId();
        present.insert(id);
        const auto found = known.find(id);
        if (found == known.end())
        {
            const std::string items = watchedItems(p_o->serialize("ALL"));
            message += newRecord(p_o, items);
            unsent(items, known[id]);
            continue;
        }
        if (!p_o->isModified())
            continue;
        // Setters may mark an attribute they set to the value it had: only new values are sent.
        const std::string items = unsent(watchedItems(p_o->serialize("")), found->second);
        if (!items.empty())
            message += "C " + qv::toString(id) + " " + items + "\n";
    }
    for (auto it = known.begin(); it != known.end();)
    {
        if (present.count(it->first) != 0)
        {
            it++;
            continue;
        }
        message += "D " + qv::toString(it->first) + "\n";
        it = known.erase(it);
    }
    message += trailer();
    last_message_bytes = static_cast<int>(message.size()) + 4;
    return message;
}

std::string WatchServer::wholeWorld()
{
    std::string message = WATCH_HEADER + "\n";
    for (qv::Object *p_o : allObjects())
        if (p_o != this)
            message += newRecord(p_o, watchedItems(p_o->serialize("ALL")));
    return message + trailer();
}

std::string WatchServer::trailer() const
{
    const qv::Vector corner = qv::WorldManager::getInstance().getView().getCorner();
    std::string text = "V " + qv::toString(corner.getX()) + " " + qv::toString(corner.getY()) + "\n";
    if (game_over)
        text += "G\n";
    return text;
}

void WatchServer::onNetwork(const qv::Event *p_event)
{
    const qv::EventNetwork *p_network = dynamic_cast<const qv::EventNetwork *>(p_event);
    if (p_network == nullptr)
        return;
    qv::LogManager &log = qv::LogManager::getInstance();
    const int index = p_network->getSocketIndex();
    if (p_network->getLabel() == qv::ACCEPT)
    {
        log.writeLog("WatchServer::onNetwork(): Watcher %d joined.", index);
        watchers.push_back(Watcher{index, false});
        return;
    }
    if (p_network->getLabel() == qv::DATA)
    {
        // Watchers have nothing to say; left unread, a message would be announced every pass.
        std::string ignored;
        qv::NetworkManager::getInstance().receive(index, ignored);
        return;
    }
    if (p_network->getLabel() != qv::CLOSE)
        return;
    log.writeLog("WatchServer::onNetwork(): Watcher %d left.", index);
    for (std::size_t i = 0; i < watchers.size();)
    {
        if (watchers[i].index == index)
        {
            watchers.erase(watchers.begin() + static_cast<long>(i));
            continue;
        }
        // The network manager moves later connections down by one.
        if (watchers[i].index > index)
            watchers[i].index--;
        i++;
    }
}

int WatchServer::getWatcherCount() const
{
    return static_cast<int>(watchers.size());
}

int WatchServer::getLastMessageBytes() const
{
    return last_message_bytes;
}
