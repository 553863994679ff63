#pragma once

// A mutable 2-D vector of 32-bit floats. Vectors are shared, not copied: a
// holder keeps the very object it was given and getters return it.
class PVector {
public:
    PVector(float x, float y) : _x(x), _y(y) {}
    PVector(const PVector&) = delete;
    PVector& operator=(const PVector&) = delete;
    PVector(PVector&&) = default;
    PVector& operator=(PVector&&) = default;

    float getX() const { return _x; }
    void setX(float v) { _x = v; }
    void addX(float v) { _x = _x + v; }
    float getY() const { return _y; }
    void setY(float v) { _y = v; }
    void addY(float v) { _y = _y + v; }

    void add(const PVector& other);
    void limit(float max);
    void mult(float s);
    void multX(float s) { _x = _x * s; }
    void multY(float s) { _y = _y * s; }
    float getMag() const;
    // A zero vector has no direction and stays (0, 0).
    void normalize();

private:
    float _x;
    float _y;
};
