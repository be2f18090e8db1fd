#include "Shape.h"

namespace qv
{

Shape::Shape()
{
}

void Shape::setType(int new_type)
{
    if (new_type >= UNDEFINED_SHAPE && new_type <= TRIANGLE)
        type = new_type;
}

int Shape::getType() const
{
    return type;
}

void Shape::setSize(float new_size)
{
    size = new_size;
}

float Shape::getSize() const
{
    return size;
}

void Shape::setColor(Color new_color)
{
    color = new_color;
}

Color Shape::getColor() const
{
    return color;
}

void Shape::setOpacity(unsigned char new_opacity)
{
    opacity = new_opacity;
}

unsigned char Shape::getOpacity() const
{
    return opacity;
}

void Shape::draw(Vector)
{
}

} // namespace qv
