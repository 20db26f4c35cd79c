// A velocity, position or coefficient in the game's units: three single-precision floats.
// Passed and returned by value; it owns nothing.
#pragma once

struct Vector {
    float X = 0.0f;
    float Y = 0.0f;
    float Z = 0.0f;
};

inline bool operator==(const Vector& a, const Vector& b) {
    return a.X == b.X && a.Y == b.Y && a.Z == b.Z;
}
