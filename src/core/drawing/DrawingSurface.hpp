#pragma once

// The two drawing operations the module needs from its platform. The host
// makes one surface current while a frame runs; the creatures draw into it.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    // Components are meant to lie in 0..1; alpha may come in below 0 and a backend clamps it.
    virtual void setColor(double red, double green, double blue, double alpha) = 0;
    // One straight segment in the current colour, blended over what the surface holds.
    virtual void strokeSegment(double x1, double y1, double x2, double y2, double width) = 0;

    // The surface drawing goes to, or null outside a frame (drawing is then dropped).
    static DrawingSurface* current();

    // Makes a surface current for its own lifetime, restoring the previous one after.
    class Scope {
    public:
        explicit Scope(DrawingSurface& surface);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        DrawingSurface* _previous;
    };
};
