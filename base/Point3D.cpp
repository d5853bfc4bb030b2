#include "base/Point3D.h"

namespace oq {

Point3D &Point3D::RotateAboutX(float angle)
{
    Vector3D::RotateAboutX(angle);
    return *this;
}

Point3D &Point3D::RotateAboutY(float angle)
{
    Vector3D::RotateAboutY(angle);
    return *this;
}

Point3D &Point3D::RotateAboutZ(float angle)
{
    Vector3D::RotateAboutZ(angle);
    return *this;
}

Point3D &Point3D::RotateAboutAxis(float angle, const Vector3D &axis)
{
    Vector3D::RotateAboutAxis(angle, axis);
    return *this;
}

}  // namespace oq
