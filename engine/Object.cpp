#include "Object.h"

#include "Event.h"
#include "EventPath.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "NetworkManager.h"
#include "PathFind.h"
#include "PathManager.h"
#include "ResourceManager.h"
#include "SceneGraph.h"
#include "WorldManager.h"
#include "attribute_text.h"

#include <cctype>
#include <climits>

namespace qv
{

namespace
{

int next_id = 1;

// Selectors of the text form, by Attribute.
const char *const selectors[ATTRIBUTE_COUNT] = {
    "ID,",        "ACTIVE,",       "VISIBLE,",  "EVENTS,",    "BOX,",         "POSITION,",
    "TYPE,",      "ANIMATION,",    "ALTITUDE,", "SOLIDNESS,", "NO_SOFT,",     "SPEED,",
    "DIRECTION,", "ACCELERATION,", "SHAPE,",    "PATH,",      "FOLLOW_PATH,", "AVOID_COLLISIONS,"};

// Past INT_MAX ids repeat instead of overflowing; only a received id brings the counter there.
int takeNextId()
{
    const int taken = next_id;
    if (next_id < INT_MAX)
        next_id++;
    return taken;
}

std::string item(const std::string &key, const std::string &value)
{
    return key + ":" + value + ",";
}

// The free text stored under `key`, unescaped; false when there is no such item.
bool findText(const std::string &text, const std::string &key, std::string *p_value)
{
    std::string verbatim;
    if (!matchVerbatim(text, key, &verbatim))
        return false;
    *p_value = unescapeText(verbatim);
    return true;
}

// The manager that keeps interests in events of this name.
Manager &managerFor(const std::string &event_name)
{
    if (event_name == KEYBOARD_EVENT || event_name == MOUSE_EVENT)
        return InputManager::getInstance();
    if (event_name == STEP_EVENT)
        return GameManager::getInstance();
    if (event_name == NETWORK_EVENT || event_name == KEYBOARD_NETWORK_EVENT || event_name == MOUSE_NETWORK_EVENT ||
        event_name == CUSTOM_NETWORK_EVENT)
        return NetworkManager::getInstance();
    return WorldManager::getInstance();
}

SceneGraph &sceneGraph()
{
    return WorldManager::getInstance().getSceneGraph();
}

bool sameAnimation(const Animation &a, const Animation &b)
{
    return a.getSprite() == b.getSprite() && a.getName() == b.getName() && a.getIndex() == b.getIndex() &&
           a.getSlowdownCount() == b.getSlowdownCount();
}

Vector towards(const Vector &from, const Vector &to)
{
    Vector heading = to - from;
    heading.normalize();
    return heading;
}

} // namespace

Object::Object() : id(takeNextId()), box(Vector(-0.5f, -0.5f), 0.99f, 0.99f), position(1, 1)
{
    for (bool &flag : modified)
        flag = true;
    shape.setType(UNDEFINED_SHAPE);
    // Last, so that the scene graph files the object under its finished defaults.
    WorldManager::getInstance().insertObject(this);
}

Object::~Object()
{
    for (int i = event_count - 1; i >= 0; i--)
        unregisterInterest(event_name[i]);
    dropPathJob();
    PathManager::getInstance().forgetTarget(this);
    WorldManager::getInstance().removeObject(this);
}

void Object::setPosition(Vector new_position)
{
    if (new_position == position)
        return;
    position = new_position;
    modified[POSITION] = true;
    sceneGraph().updatePlace(this);
}

int Object::eventHandler(const Event *p_event)
{
    if (p_event == nullptr || p_event->getType() != PATH_EVENT)
        return 0;
    const EventPath *p_path_event = dynamic_cast<const EventPath *>(p_event);
    if (p_path_event == nullptr)
    {
        LogManager::getInstance().writeLog("Object::eventHandler(): Error! Dynamic cast to EventPath failed.");
        return 0;
    }
    if (p_path_event->getResult() == 2)
    {
        setPath(p_path_event->getPath());
        setFollowPath(true);
    }
    // The search that ended has already left the path manager; a job still running there is a
    // new request made since, perhaps by a derived handler, and stays.
    if (!PathManager::getInstance().isPending(path_job))
        dropPathJob();
    return 1;
}

int Object::draw()
{
    const int index = animation.getIndex();
    const int slowdown_count = animation.getSlowdownCount();
    const int result = animation.draw(position);
    // Frame advances are changes like any other, so a copy elsewhere stays on the same frame.
    if (animation.getIndex() != index || animation.getSlowdownCount() != slowdown_count)
        modified[ANIMATION] = true;
    if (shape.getType() != UNDEFINED_SHAPE)
        shape.draw(position);
    return result;
}

std::string Object::serialize(std::string attribute_list)
{
    LogManager &log = LogManager::getInstance();
    log.writeLog(20, "Object::serialize(): attr is '%s'", attribute_list.c_str());
    if (!attribute_list.empty() && attribute_list != "ALL" && attribute_list.back() != ',')
        log.writeLog("Object::serialize(): Warning! Attribute '%s' missing trailing ','", attribute_list.c_str());

    std::string text;
    if (takeAttribute(attribute_list, ID))
        text += item("id", toString(id));
    if (takeAttribute(attribute_list, ACTIVE))
        text += item("is_active", toString(is_active));
    if (takeAttribute(attribute_list, VISIBLE))
        text += item("is_visible", toString(is_visible));
    if (takeAttribute(attribute_list, EVENTS))
    {
        text += item("event_count", toString(event_count));
        for (int i = 0; i < event_count; i++)
            text += item("event_name[" + toString(i) + "]", escapeText(event_name[i]));
    }
    if (takeAttribute(attribute_list, BOX))
    {
        text += item("box-corner-x", toString(box.getCorner().getX()));
        text += item("box-corner-y", toString(box.getCorner().getY()));
        text += item("box-horizontal", toString(box.getHorizontal()));
        text += item("box-vertical", toString(box.getVertical()));
    }
    if (takeAttribute(attribute_list, POSITION))
    {
        text += item("pos-x", toString(position.getX()));
        text += item("pos-y", toString(position.getY()));
    }
    if (takeAttribute(attribute_list, TYPE))
        text += item("type", escapeText(type));
    // The object's flag is set by every change of the animation and by nothing else, so it alone
    // decides: an animation copied in with its own flag cleared still goes out once.
    if (takeAttribute(attribute_list, ANIMATION))
        text += animation.serialize(attribute_list.empty() ? "ANIMATION," : attribute_list);
    if (takeAttribute(attribute_list, ALTITUDE))
        text += item("altitude", toString(altitude));
    if (takeAttribute(attribute_list, SOLIDNESS))
        text += item("solidness", toString(static_cast<int>(solidness)));
    if (takeAttribute(attribute_list, NO_SOFT))
        text += item("no_soft", toString(no_soft));
    if (takeAttribute(attribute_list, DIRECTION))
    {
        text += item("x_direction", toString(direction.getX()));
        text += item("y_direction", toString(direction.getY()));
    }
    if (takeAttribute(attribute_list, SPEED))
        text += item("speed", toString(speed));
    if (takeAttribute(attribute_list, ACCELERATION))
    {
        text += item("x_acceleration", toString(acceleration.getX()));
        text += item("y_acceleration", toString(acceleration.getY()));
    }
    if (takeAttribute(attribute_list, SHAPE))
    {
        text += item("shape", toString(shape.getType()));
        text += item("size", toString(shape.getSize()));
        text += item("color", toString(static_cast<int>(shape.getColor())));
        text += item("opacity", toString(static_cast<int>(shape.getOpacity())));
    }
    if (takeAttribute(attribute_list, FOLLOW_PATH))
        text += item("follow_path", toString(follow_path));
    if (takeAttribute(attribute_list, PATH))
    {
        std::string nodes;
        for (const Vector &node : path.getNodes())
            nodes += toString(node.getX()) + " " + toString(node.getY()) + "|";
        text += item("path", nodes);
        text += item("path_index", toString(path.getIndex()));
    }
    if (takeAttribute(attribute_list, AVOID_COLLISIONS))
        text += item("avoid_collisions", toString(avoid_collisions));
    return text;
}

int Object::deserialize(std::string text)
{
    // An empty text would make the parser answer from whatever table it parsed last.
    if (text.empty())
        return 0;
    LogManager &log = LogManager::getInstance();

    // One parse serves every key: nothing called below parses other text (the animation parses
    // this same one), and a long hostile text costs one pass, not one per key.
    std::string value = match(text, "id");
    if (!value.empty())
    {
        const int new_id = textToInt(value);
        log.writeLog(20, "Object::deserialize(): id is %d", new_id);
        if (new_id != id && new_id == INT_MAX)
            log.writeLog("Object::deserialize(): Warning! id %d leaves no id for the next object.  Ignored.", new_id);
        else if (new_id != id)
        {
            if (new_id >= next_id)
                next_id = new_id + 1;
            id = new_id;
            modified[ID] = true;
        }
    }

    value = match("", "is_active");
    if (!value.empty())
    {
        log.writeLog(20, "Object::deserialize(): is_active is %s", value.c_str());
        setActive(value == "true");
    }

    value = match("", "is_visible");
    if (!value.empty())
    {
        log.writeLog(20, "Object::deserialize(): is_visible is %s", value.c_str());
        setVisible(value == "true");
    }

    deserializeEvents(text);

    // Read as floats: the default box (-0.5, -0.5, 0.99, 0.99) would not survive whole numbers.
    const char *const box_keys[4] = {"box-corner-x", "box-corner-y", "box-horizontal", "box-vertical"};
    float box_values[4] = {0, 0, 0, 0};
    bool box_complete = true;
    for (int i = 0; i < 4; i++)
    {
        value = match("", box_keys[i]);
        if (value.empty())
        {
            box_complete = false;
            continue;
        }
        box_values[i] = textToFloat(value);
        log.writeLog(20, "Object::deserialize(): %s is %.2f", box_keys[i], box_values[i]);
    }
    if (box_complete)
        setBox(Box(Vector(box_values[0], box_values[1]), box_values[2], box_values[3]));
    else
        log.writeLog(20, "Object::deserialize(): box not complete, so ignoring.");

    const std::string pos_x = match("", "pos-x");
    if (!pos_x.empty())
        log.writeLog(20, "Object::deserialize(): pos-x is %.2f", textToFloat(pos_x));
    const std::string pos_y = match("", "pos-y");
    if (!pos_y.empty())
        log.writeLog(20, "Object::deserialize(): pos-y is %.2f", textToFloat(pos_y));
    if (!pos_x.empty() && !pos_y.empty())
        setPosition(Vector(textToFloat(pos_x), textToFloat(pos_y)));
    else
        log.writeLog(20, "Object::deserialize(): position not complete, so ignoring.");

    if (findText(text, "type", &value))
    {
        log.writeLog(20, "Object::deserialize(): type is %s", escapeText(value).c_str());
        setType(value);
    }

    const Animation before = animation;
    animation.deserialize(text);
    if (!sameAnimation(before, animation))
        modified[ANIMATION] = true;

    value = match("", "altitude");
    if (!value.empty())
    {
        const int new_altitude = textToInt(value);
        log.writeLog(20, "Object::deserialize(): altitude is %d", new_altitude);
        setAltitude(new_altitude);
    }

    value = match("", "solidness");
    if (!value.empty())
    {
        const int new_solidness = textToInt(value);
        log.writeLog(20, "Object::deserialize(): solidness is %d", new_solidness);
        setSolidness(static_cast<Solidness>(new_solidness));
    }

    value = match("", "no_soft");
    if (!value.empty())
    {
        log.writeLog(20, "Object::deserialize(): no_soft is %s", value.c_str());
        setNoSoft(value == "true");
    }

    value = match("", "x_direction");
    if (!value.empty())
    {
        const float x = textToFloat(value);
        log.writeLog(20, "Object::deserialize(): x_direction is %.2f", x);
        setDirection(Vector(x, direction.getY()));
    }

    value = match("", "y_direction");
    if (!value.empty())
    {
        const float y = textToFloat(value);
        log.writeLog(20, "Object::deserialize(): y_direction is %.2f", y);
        // Taken as written: normalizing it and taking its length as the speed would change the
        // velocity of every object whose direction is not of unit length, and make a text that
        // carries no speed set the speed to 1.
        setDirection(Vector(direction.getX(), y));
        modified[DIRECTION] = true;
    }

    value = match("", "speed");
    if (!value.empty())
    {
        const float new_speed = textToFloat(value);
        log.writeLog(20, "Object::deserialize(): speed is %.2f", new_speed);
        setSpeed(new_speed);
    }

    value = match("", "x_acceleration");
    if (!value.empty())
    {
        const float x = textToFloat(value);
        log.writeLog(20, "Object::deserialize(): x_acceleration is %.2f", x);
        setAcceleration(Vector(x, acceleration.getY()));
    }

    value = match("", "y_acceleration");
    if (!value.empty())
    {
        const float y = textToFloat(value);
        log.writeLog(20, "Object::deserialize(): y_acceleration is %.2f", y);
        setAcceleration(Vector(acceleration.getX(), y));
    }

    deserializeShape();
    deserializePath(text);

    value = match("", "follow_path");
    if (!value.empty())
    {
        log.writeLog(20, "Object::deserialize(): follow_path is %s", value.c_str());
        setFollowPath(value == "true");
    }

    value = match("", "avoid_collisions");
    if (!value.empty())
    {
        log.writeLog(20, "Object::deserialize(): avoid_collisions is %s", value.c_str());
        setAvoidCollisions(value == "true");
    }
    return 0;
}

bool Object::isModified() const
{
    for (int i = 0; i < ATTRIBUTE_COUNT; i++)
    {
        LogManager::getInstance().writeLog(20, "Object::isModified(): %d is %s", i, modified[i] ? "true" : "false");
        if (modified[i])
            return true;
    }
    return false;
}

bool Object::isModified(Attribute attribute) const
{
    if (attribute < 0 || attribute >= ATTRIBUTE_COUNT)
        return false;
    return modified[attribute];
}

int Object::getId() const
{
    return id;
}

std::string Object::getType() const
{
    return type;
}

void Object::setType(std::string new_type)
{
    // An inactive object is not in the type map; it enters it under the new type on activation,
    // so the scene graph's refusal does not stop the change.
    sceneGraph().updateType(this, new_type);
    type = new_type;
    modified[TYPE] = true;
}

bool Object::isActive() const
{
    return is_active;
}

int Object::setActive(bool new_is_active)
{
    if (new_is_active == is_active)
        return 0;
    if (sceneGraph().updateActive(this, new_is_active) == -1)
        return -1;
    is_active = new_is_active;
    modified[ACTIVE] = true;
    return 0;
}

bool Object::isVisible() const
{
    return is_visible;
}

int Object::setVisible(bool new_is_visible)
{
    if (new_is_visible == is_visible)
        return 0;
    if (sceneGraph().updateVisible(this, new_is_visible) == -1)
        return -1;
    is_visible = new_is_visible;
    modified[VISIBLE] = true;
    return 0;
}

Box Object::getBox() const
{
    return box;
}

void Object::setBox(Box new_box)
{
    if (new_box == box)
        return;
    SceneGraph &scene_graph = sceneGraph();
    scene_graph.removeObject(this);
    box = new_box;
    scene_graph.insertObject(this);
    modified[BOX] = true;
}

Vector Object::getPosition() const
{
    return position;
}

Vector Object::getDirection() const
{
    return direction;
}

void Object::setDirection(Vector new_direction)
{
    direction = new_direction;
}

float Object::getSpeed() const
{
    return speed;
}

void Object::setSpeed(float new_speed)
{
    speed = new_speed;
    modified[SPEED] = true;
}

Vector Object::getVelocity() const
{
    Vector velocity = direction;
    velocity.scale(speed);
    return velocity;
}

void Object::setVelocity(Vector new_velocity)
{
    speed = new_velocity.getMagnitude();
    new_velocity.normalize();
    direction = new_velocity;
    modified[SPEED] = true;
    modified[DIRECTION] = true;
}

Vector Object::predictPosition() const
{
    return position + getVelocity();
}

Vector Object::getAcceleration() const
{
    return acceleration;
}

void Object::setAcceleration(Vector new_acceleration)
{
    acceleration = new_acceleration;
    modified[ACCELERATION] = true;
}

int Object::getAltitude() const
{
    return altitude;
}

int Object::setAltitude(int new_altitude)
{
    if (new_altitude == altitude)
        return 0;
    if (new_altitude < 0 || new_altitude > MAX_ALTITUDE)
    {
        LogManager::getInstance().writeLog("Object::setAltitude(): Altitude %d not in range [%d,%d].  Ignored.",
                                           new_altitude, 0, MAX_ALTITUDE);
        return -1;
    }
    if (sceneGraph().updateAltitude(this, new_altitude) == -1)
        return -1;
    altitude = new_altitude;
    modified[ALTITUDE] = true;
    return 0;
}

Solidness Object::getSolidness() const
{
    return solidness;
}

int Object::setSolidness(Solidness new_solidness)
{
    if (new_solidness == solidness)
        return 0;
    if (static_cast<unsigned>(new_solidness) > static_cast<unsigned>(SPECTRAL))
    {
        LogManager::getInstance().writeLog("Object::setSolidness(): Solidness %d not one of HARD, SOFT or SPECTRAL.",
                                           static_cast<int>(new_solidness));
        return -1;
    }
    if (sceneGraph().updateSolidness(this, new_solidness) == -1)
        return -1;
    solidness = new_solidness;
    modified[SOLIDNESS] = true;
    return 0;
}

bool Object::isSolid() const
{
    return solidness == HARD || solidness == SOFT;
}

bool Object::getNoSoft() const
{
    return no_soft;
}

void Object::setNoSoft(bool new_no_soft)
{
    no_soft = new_no_soft;
    modified[NO_SOFT] = true;
}

bool Object::getAvoidCollisions() const
{
    return avoid_collisions;
}

void Object::setAvoidCollisions(bool new_avoid_collisions)
{
    avoid_collisions = new_avoid_collisions;
    modified[AVOID_COLLISIONS] = true;
}

Animation Object::getAnimation() const
{
    return animation;
}

void Object::setAnimation(const Animation &new_animation, bool take_box)
{
    if (!sameAnimation(animation, new_animation))
        modified[ANIMATION] = true;
    animation = new_animation;
    if (take_box)
    {
        box = animation.getBox();
        modified[BOX] = true;
        sceneGraph().updatePlace(this);
    }
}

int Object::setSprite(std::string sprite_label)
{
    Sprite *p_sprite = ResourceManager::getInstance().getSprite(sprite_label);
    if (p_sprite == nullptr)
    {
        LogManager::getInstance().writeLog("Object::setSprite(): Warning! Sprite '%s' not found", sprite_label.c_str());
        return -1;
    }
    const Animation before = animation;
    animation.setSprite(p_sprite);
    if (!sameAnimation(before, animation))
        modified[ANIMATION] = true;
    setBox(animation.getBox());
    return 0;
}

Shape Object::getShape() const
{
    return shape;
}

void Object::setShape(const Shape &new_shape)
{
    shape = new_shape;
    modified[SHAPE] = true;
}

Path Object::getPath() const
{
    return path;
}

void Object::setPath(const Path &new_path)
{
    path = new_path;
    modified[PATH] = true;
}

bool Object::getFollowPath() const
{
    return follow_path;
}

void Object::setFollowPath(bool new_follow_path)
{
    follow_path = new_follow_path;
    if (!path.isDone())
        direction = towards(position, path.currentNode());
    modified[FOLLOW_PATH] = true;
}

PathFind *Object::getPathJob() const
{
    return path_job;
}

void Object::setPathJob(PathFind *p_new_path_job)
{
    if (p_new_path_job == path_job)
        return;
    dropPathJob();
    path_job = p_new_path_job;
}

int Object::requestPath(Vector where)
{
    return startPathJob(where, nullptr);
}

int Object::requestPath(Object *p_target)
{
    if (p_target == nullptr)
    {
        LogManager::getInstance().writeLog("Object::requestPath(): Error! Null target.");
        return -1;
    }
    return startPathJob(p_target->getPosition(), p_target);
}

int Object::registerInterest(std::string name)
{
    if (event_count == MAX_OBJ_EVENTS)
    {
        LogManager::getInstance().writeLog(
            "Object::registerInterest(): maximum (%d) reached, cannot register for event '%s'", MAX_OBJ_EVENTS,
            name.c_str());
        return -1;
    }
    if (managerFor(name).registerInterest(this, name) == -1)
        return -1;
    event_name[event_count] = name;
    event_count++;
    modified[EVENTS] = true;
    return 0;
}

int Object::unregisterInterest(std::string name)
{
    for (int i = 0; i < event_count; i++)
    {
        if (event_name[i] != name)
            continue;
        if (managerFor(name).unregisterInterest(this, name) == -1)
            return -1;
        for (int j = i; j < event_count - 1; j++)
            event_name[j] = event_name[j + 1];
        event_count--;
        event_name[event_count].clear();
        modified[EVENTS] = true;
        return 0;
    }
    LogManager::getInstance().writeLog("Object::unregisterInterest(): event '%s' not previously registered",
                                       name.c_str());
    return -1;
}

void Object::followPathStep()
{
    if (!follow_path)
        return;
    while (!path.isDone())
    {
        const Vector node = path.currentNode();
        if (distance(position, node) > speed * 3 * 0.25f)
        {
            direction = towards(position, node);
            return;
        }
        setPosition(node);
        path.next();
        modified[PATH] = true;
    }
    direction = Vector();
    setFollowPath(false);
}

void Object::applyAcceleration()
{
    if (acceleration == Vector())
        return;
    setVelocity(getVelocity() + acceleration);
}

bool Object::takeAttribute(const std::string &attribute_list, Attribute attribute)
{
    const bool chosen = attribute_list == "ALL" || (attribute_list.empty() && isModified(attribute)) ||
                        attribute_list.find(selectors[attribute]) != std::string::npos;
    if (chosen)
        modified[attribute] = false;
    return chosen;
}

void Object::deserializeEvents(const std::string &text)
{
    const std::string count_text = match("", "event_count");
    if (count_text.empty())
        return;
    LogManager &log = LogManager::getInstance();
    for (int i = event_count - 1; i >= 0; i--)
        unregisterInterest(event_name[i]);
    int count = textToInt(count_text);
    log.writeLog(20, "Object::deserialize(): event_count is %d", count);
    // No more names can be registered, and a hostile count must not cost a lookup per unit.
    if (count > MAX_OBJ_EVENTS)
    {
        log.writeLog("Object::deserialize(): Warning! event_count %d above the maximum (%d).  Reading %d names.", count,
                     MAX_OBJ_EVENTS, MAX_OBJ_EVENTS);
        count = MAX_OBJ_EVENTS;
    }
    for (int i = 0; i < count; i++)
    {
        std::string name;
        if (!findText(text, "event_name[" + toString(i) + "]", &name) || name.empty())
            continue;
        log.writeLog(20, "Object::deserialize(): event_name[%d] is '%s'", i, escapeText(name).c_str());
        registerInterest(name);
    }
}

void Object::deserializeShape()
{
    LogManager &log = LogManager::getInstance();
    const char *const keys[4] = {"shape", "size", "color", "opacity"};
    std::string values[4];
    for (int i = 0; i < 4; i++)
    {
        values[i] = match("", keys[i]);
        if (values[i].empty())
            return;
        log.writeLog(20, "Object::deserialize(): %s is '%s'", keys[i], values[i].c_str());
    }
    Shape new_shape = shape;
    new_shape.setType(textToInt(values[0]));
    new_shape.setSize(textToFloat(values[1]));
    const int new_color = textToInt(values[2]);
    // Outside the enumeration a Color has no defined value.
    if (new_color >= BLACK && new_color <= CUSTOM)
        new_shape.setColor(static_cast<Color>(new_color));
    else
        log.writeLog("Object::deserialize(): Color %d not a colour.  Ignored.", new_color);
    const int new_opacity = textToInt(values[3]);
    if (new_opacity >= 0 && new_opacity <= 255)
        new_shape.setOpacity(static_cast<unsigned char>(new_opacity));
    else
        log.writeLog("Object::deserialize(): Opacity %d not in range [0,255].  Ignored.", new_opacity);
    setShape(new_shape);
}

void Object::deserializePath(const std::string &text)
{
    LogManager &log = LogManager::getInstance();
    std::string verbatim;
    if (matchVerbatim(text, "path", &verbatim))
    {
        // The value as match delimits it, but with its blanks: they part the coordinates.
        std::size_t start = 0;
        while (start < verbatim.size() &&
               (verbatim[start] == ':' || std::isspace(static_cast<unsigned char>(verbatim[start]))))
            start++;
        std::string nodes = verbatim.substr(start, verbatim.find(':', start) - start);
        for (char &c : nodes)
            if (std::isspace(static_cast<unsigned char>(c)))
                c = ' ';
        Path new_path;
        for (std::size_t node_start = 0;;)
        {
            const std::size_t bar = nodes.find('|', node_start);
            if (bar == std::string::npos)
                break;
            std::string node = nodes.substr(node_start, bar - node_start);
            node.erase(0, node.find_first_not_of(' '));
            node.erase(node.find_last_not_of(' ') + 1);
            const std::size_t blank = node.find(' ');
            if (blank == std::string::npos)
            {
                log.writeLog("Object::deserialize(): malformed node %s.", nodes.substr(node_start).c_str());
                log.writeLog("\tNot added.");
                break;
            }
            new_path.addNode(Vector(textToFloat(node.substr(0, blank)), textToFloat(node.substr(blank + 1))));
            node_start = bar + 1;
        }
        setPath(new_path);
    }

    // The index goes with the nodes, or a received walk would start over from its first node.
    const std::string index_text = match("", "path_index");
    if (index_text.empty())
        return;
    const int new_index = textToInt(index_text);
    log.writeLog(20, "Object::deserialize(): path_index is %d", new_index);
    if (new_index == path.getIndex())
        return;
    const int node_count = static_cast<int>(path.getNodes().size());
    if (new_index < 0 || new_index > node_count)
    {
        log.writeLog("Object::deserialize(): path_index %d not in range [0,%d].  Ignored.", new_index, node_count);
        return;
    }
    Path moved = path;
    if (new_index == node_count)
    {
        moved.setIndex(node_count - 1);
        moved.next();
    }
    else
    {
        moved.setIndex(new_index);
    }
    setPath(moved);
}

int Object::startPathJob(Vector goal_position, Object *p_target)
{
    LogManager &log = LogManager::getInstance();
    PathManager &path_manager = PathManager::getInstance();
    if (!path_manager.isStarted())
    {
        log.writeLog("Object::requestPath(): Error! Path manager not started.");
        return -1;
    }
    const Cell start = PathFind::cellAt(position);
    if (!PathFind::isInWorld(start))
    {
        log.writeLog("Object::requestPath(): Error! Start cell (%d, %d) outside the world.", start.x, start.y);
        return -1;
    }
    const Cell goal = PathFind::cellAt(goal_position);
    if (!PathFind::isInWorld(goal))
    {
        log.writeLog("Object::requestPath(): Error! Goal cell (%d, %d) outside the world.", goal.x, goal.y);
        return -1;
    }
    PathFind *p_job = new PathFind(this, start, goal, p_target);
    if (!p_job->hasNodeGraph())
    {
        const Box boundary = WorldManager::getInstance().getBoundary();
        log.writeLog("Object::requestPath(): Error! Unable to allocate a node graph of %.0f x %.0f cells.",
                     boundary.getHorizontal(), boundary.getVertical());
        delete p_job;
        return -1;
    }
    if (path_manager.addJob(p_job) == -1)
    {
        delete p_job;
        return -1;
    }
    setPathJob(p_job);
    return 0;
}

void Object::dropPathJob()
{
    if (path_job == nullptr)
        return;
    PathManager::getInstance().removeJob(path_job);
    delete path_job;
    path_job = nullptr;
}

} // namespace qv
