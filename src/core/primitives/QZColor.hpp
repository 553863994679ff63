#pragma once

// Red, green and blue on a 0..255 scale, clamped on every write. The scene also
// uses it for its colour counter and increments, which clamp the same way.
class QZColor {
public:
    QZColor(float red, float green, float blue);
    QZColor(const QZColor&) = delete;
    QZColor& operator=(const QZColor&) = delete;
    QZColor(QZColor&&) = default;
    QZColor& operator=(QZColor&&) = default;

    float getRed() const { return _red; }
    void setRed(float v) { _red = contain(v); }
    void addRed(float d) { _red = contain(_red + d); }
    float getGreen() const { return _green; }
    void setGreen(float v) { _green = contain(v); }
    void addGreen(float d) { _green = contain(_green + d); }
    float getBlue() const { return _blue; }
    void setBlue(float v) { _blue = contain(v); }
    void addBlue(float d) { _blue = contain(_blue + d); }

    // Saturates into 0..255; a NaN passes unchanged.
    static float contain(float v);
    void add(const QZColor& other);

private:
    float _red;
    float _green;
    float _blue;
};
