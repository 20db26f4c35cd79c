#include "velocity_change.h"

#include <algorithm>
#include <cmath>

namespace host {

double speedOf(const Vector& v) {
    return std::sqrt(static_cast<double>(v.X) * v.X + static_cast<double>(v.Y) * v.Y + static_cast<double>(v.Z) * v.Z);
}

double speedRatio(const Vector& before, const Vector& after) {
    const double speed = speedOf(before);
    return speed > 0.0 ? speedOf(after) / speed : 0.0;
}

double turnedDegrees(const Vector& a, const Vector& b) {
    const double lengths = speedOf(a) * speedOf(b);
    if (lengths == 0.0) {
        return 0.0;
    }
    const double dot = static_cast<double>(a.X) * b.X + static_cast<double>(a.Y) * b.Y + static_cast<double>(a.Z) * b.Z;
    return std::acos(std::clamp(dot / lengths, -1.0, 1.0)) * 180.0 / 3.14159265358979323846;
}

}  // namespace host
