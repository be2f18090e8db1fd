#pragma once

#include "Animation.h"
#include "Box.h"
#include "Path.h"
#include "Shape.h"
#include "Vector.h"

#include <string>

namespace qv
{

class Event;
class PathFind;

/// Most event names one object can be registered for.
const int MAX_OBJ_EVENTS = 100;
/// Highest drawing layer; layers run from 0 (drawn first, underneath) to this one.
const int MAX_ALTITUDE = 4;

/// How an object takes part in collisions.
enum Solidness : int
{
    HARD = 0, // collides, and blocks other HARD objects
    SOFT,     // collides, blocks only objects that set no_soft
    SPECTRAL, // never collides
};

/// Index of one attribute's "modified" flag; also the selector order of the object's text form.
enum Attribute
{
    ID = 0,
    ACTIVE,
    VISIBLE,
    EVENTS,
    BOX,
    POSITION,
    TYPE,
    ANIMATION,
    ALTITUDE,
    SOLIDNESS,
    NO_SOFT,
    SPEED,
    DIRECTION,
    ACCELERATION,
    SHAPE,
    PATH,
    FOLLOW_PATH,
    AVOID_COLLISIONS,
};

/// Number of `Attribute` values.
const int ATTRIBUTE_COUNT = 18;

/// Base of everything in the game world.
///
/// An object inserts itself into the world manager when it is constructed, and the world manager
/// owns it from then on: game code creates objects with `new`, keeps plain pointers to them and
/// asks `WorldManager::markForDelete` to delete them at the end of the current pass. Changes that
/// decide where the world manager's scene graph stores an object (activity, visibility, altitude,
/// solidness, type, box) go through the scene graph first and are refused when it refuses them.
///
/// The text form (`serialize`, `deserialize`) is a run of items "key:value,". Numbers are
/// written by `toString`, flags as "true" or "false", and a path as "x y|" per node, one blank
/// between the coordinates. Free text (the type, event names, the sprite label) goes through
/// `escapeText`: text without ',', ':', whitespace or NUL is written as it is, other text as ':'
/// and the text with those characters and '%' written as '%' and two hexadecimal digits, so
/// "Floor: 3" becomes "type::Floor%3A%203,". No value can end its item early or add items of its
/// own, and every text reads back unchanged. An item that is present with an empty value sets
/// the type or the path to empty; the other keys ignore empty values. The reader takes the box
/// as four floats, the direction as written (the speed comes from "speed" alone), and the path
/// node for node with its "path_index", so that what one object writes another reads back as
/// the same object.
class Object
{
public:
    /// A new object with the next id, inserted into the world manager (refused before start-up).
    Object();
    /// Unregisters every interest, drops the path job and leaves the world manager. Only the
    /// world manager deletes objects.
    virtual ~Object();

    /// Moves the object to `new_position` without any collision test.
    virtual void setPosition(Vector new_position);
    /// Follows a found path on a "qv-path" event; 1 if handled, 0 if not.
    virtual int eventHandler(const Event *p_event);
    /// Draws the animation, then the shape if it has one; the animation's result.
    virtual int draw();
    /// The attributes chosen by `attribute_list` as attribute text, clearing their modified
    /// flags: "ALL", selectors such as "ID,POSITION," (matched as substrings), or "" for those
    /// changed since they were last written.
    virtual std::string serialize(std::string attribute_list);
    /// Applies the attributes found in `text` through the setters, which log and refuse bad
    /// values while the others still apply; always 0.
    virtual int deserialize(std::string text);
    /// Has any attribute changed since it was last serialized?
    virtual bool isModified() const;
    /// Has this attribute changed since it was last serialized?
    virtual bool isModified(Attribute attribute) const;

    /// Unique number, from 1 in order of construction.
    int getId() const;
    /// Name chosen by game code, such as "Hero"; "(Undefined)" until set.
    std::string getType() const;
    /// Retypes the object in the scene graph's type map.
    void setType(std::string new_type);

    /// Is the object moved, collided, drawn and sent events?
    bool isActive() const;
    /// Inactive objects are neither moved, collided, drawn nor sent events; 0, or -1 if refused.
    int setActive(bool new_is_active);
    /// Is the object drawn?
    bool isVisible() const;
    /// Invisible objects are not drawn; 0, or -1 if refused.
    int setVisible(bool new_is_visible);

    /// The box relative to the position, cells.
    Box getBox() const;
    /// Replaces the box, re-entering the object into the scene graph.
    void setBox(Box new_box);
    /// World position, cells.
    Vector getPosition() const;

    /// Direction of motion, as set.
    Vector getDirection() const;
    /// Sets the direction as given, without normalizing it.
    void setDirection(Vector new_direction);
    /// Cells per step.
    float getSpeed() const;
    /// Cells per step along the direction.
    void setSpeed(float new_speed);
    /// Direction scaled by speed, cells per step.
    Vector getVelocity() const;
    /// Splits `new_velocity` into a speed and a unit direction.
    void setVelocity(Vector new_velocity);
    /// Where the object would be after one step at its velocity.
    Vector predictPosition() const;
    /// Added to the velocity once per step.
    Vector getAcceleration() const;
    /// Added to the velocity once per step, cells per step per step.
    void setAcceleration(Vector new_acceleration);

    /// Drawing layer, 0 (lowest) to `MAX_ALTITUDE`.
    int getAltitude() const;
    /// Moves the object to drawing layer 0 to `MAX_ALTITUDE`; 0, or -1 if out of range or refused.
    int setAltitude(int new_altitude);
    /// How the object takes part in collisions.
    Solidness getSolidness() const;
    /// 0, or -1 if not a `Solidness` or refused.
    int setSolidness(Solidness new_solidness);
    /// HARD or SOFT?
    bool isSolid() const;
    /// Do SOFT objects block this one?
    bool getNoSoft() const;
    /// When true, SOFT objects block this one as HARD ones do.
    void setNoSoft(bool new_no_soft);
    /// Does the object slide along HARD obstacles?
    bool getAvoidCollisions() const;
    /// When true, a HARD object slides along the HARD obstacle in its way.
    void setAvoidCollisions(bool new_avoid_collisions);

    /// A copy of the animation.
    Animation getAnimation() const;
    /// Copies `new_animation`; with `take_box` the object's box becomes the animation's box.
    void setAnimation(const Animation &new_animation, bool take_box);
    /// Shows the resource manager's sprite `sprite_label` and takes its box; 0, or -1 if not found.
    int setSprite(std::string sprite_label);
    /// A copy of the shape.
    Shape getShape() const;
    /// Copies `new_shape`; a shape of type `UNDEFINED_SHAPE` is not drawn.
    void setShape(const Shape &new_shape);

    /// A copy of the path, with the node headed for.
    Path getPath() const;
    /// Replaces the path; walking it needs `setFollowPath(true)`.
    void setPath(const Path &new_path);
    /// Is the object walking its path?
    bool getFollowPath() const;
    /// Starts or stops walking the path, turning towards its current node.
    void setFollowPath(bool new_follow_path);
    /// The running path search, or null; owned by the object.
    PathFind *getPathJob() const;
    /// Takes ownership of `p_new_path_job`, dropping and destroying any job held before.
    void setPathJob(PathFind *p_new_path_job);
    /// Starts a search for a way from the object's cell to the cell of `where`, replacing any
    /// pending one; the result arrives as a "qv-path" event. 0, or -1 with a message if refused
    /// (a pending search then stays).
    int requestPath(Vector where);
    /// The same towards `p_target` (not owned): the search also ends where this object's box
    /// touches the target's box, and fails if the target is destroyed first.
    int requestPath(Object *p_target);

    /// Asks the manager that keeps `event_name` to deliver such events to this object; 0, or -1.
    int registerInterest(std::string event_name);
    /// Undoes a registration; 0, or -1 if the name was not registered or the manager refused.
    int unregisterInterest(std::string event_name);

    /// Walks the path: snaps onto nodes within three quarters of a step and heads for the next.
    /// Called by the world manager after moving the object.
    void followPathStep();
    /// Adds the acceleration to the velocity. Called by the world manager once per step.
    void applyAcceleration();

private:
    friend class SpatialGrid;

    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    // Is `attribute` chosen by `attribute_list`? Clears its modified flag if so.
    bool takeAttribute(const std::string &attribute_list, Attribute attribute);
    void deserializeEvents(const std::string &text);
    // Reads the shape's keys from the text `match` parsed last.
    void deserializeShape();
    void deserializePath(const std::string &text);
    void dropPathJob();
    int startPathJob(Vector goal_position, Object *p_target);

    int id;                                 // unique, from a counter starting at 1
    std::string type = "(Undefined)";       // chosen by game code: "Hero", "Wall", ...
    bool is_active = true;                  // inactive objects are not moved, collided or drawn
    bool is_visible = true;                 // invisible objects are not drawn
    Box box;                                // relative to position, cells
    Vector position;                        // world position, cells
    Vector direction;                       // not necessarily unit length
    float speed = 0;                        // cells per step
    Vector acceleration;                    // cells per step per step
    int altitude = 2;                       // drawing layer, 0 to MAX_ALTITUDE
    Solidness solidness = HARD;             // how the object collides
    Animation animation;                    // the sprite shown and its playback
    bool no_soft = false;                   // SOFT objects block this one
    int event_count = 0;                    // names in event_name
    std::string event_name[MAX_OBJ_EVENTS]; // registered names, in registration order
    bool modified[ATTRIBUTE_COUNT];         // changed since last serialized, by Attribute
    Shape shape;                            // drawn besides the animation unless UNDEFINED_SHAPE
    PathFind *path_job = nullptr;           // running path search, owned
    Path path;                              // nodes to walk and the one headed for
    bool follow_path = false;               // walking the path
    bool avoid_collisions = false;          // slide along HARD obstacles
    int grid_record = -1;                   // its record in the scene graph's spatial grid, or -1
};

} // namespace qv
