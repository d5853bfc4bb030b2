#include "base/Vector3D.h"

#include "base/Matrix3D.h"
#include "base/Vector2D.h"

namespace oq {

Vector3D &Vector3D::RotateAboutX(float angle)
{
    float c, s;
    CosSin(angle, &c, &s);
    float ny = y * c - z * s;
    float nz = y * s + z * c;
    y = ny;
    z = nz;
    return *this;
}

Vector3D &Vector3D::RotateAboutY(float angle)
{
    float c, s;
    CosSin(angle, &c, &s);
    float nx = x * c + z * s;
    float nz = z * c - x * s;
    x = nx;
    z = nz;
    return *this;
}

Vector3D &Vector3D::RotateAboutZ(float angle)
{
    Vector2D v(x, y);
    v.Rotate(angle);
    x = v.x;
    y = v.y;
    return *this;
}

Vector3D &Vector3D::RotateAboutAxis(float angle, const Vector3D &axis)
{
    *this = Matrix3D::MakeRotation(angle, axis) * *this;
    return *this;
}

}  // namespace oq
