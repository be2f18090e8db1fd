#include "SpriteView.h"

int SpriteView::draw()
{
    return Object::draw();
}
