#include "base/Vector2D.h"

namespace oq {

Vector2D &Vector2D::Rotate(float angle)
{
    float c, s;
    CosSin(angle, &c, &s);
    float nx = x * c - y * s;
    float ny = x * s + y * c;
    x = nx;
    y = ny;
    return *this;
}

}  // namespace oq
