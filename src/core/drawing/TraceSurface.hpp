#pragma once

#include "drawing/DrawingSurface.hpp"

#include <cstdio>

// Writes every drawing call as one line of text, with the values exactly as
// the module passed them: each number is printed with 17 significant digits,
// so that it reads back to the very same double.
//
//     frame N
//     color R G B A
//     stroke X1 Y1 X2 Y2 W
class TraceSurface final : public DrawingSurface {
public:
    // Writes to `out`, which the caller owns. After a write error, nothing more
    // is written: a reader that stopped reading would block every further
    // write, and a write cut short by a signal would be undone.
    explicit TraceSurface(std::FILE* out);

    // The errno of the write that failed, taken at once, before later calls
    // change it; 0 while every write has gone through.
    int writeError() const { return _writeError; }

    // Starts frame `number`, counting from 1.
    void beginFrame(int number);
    void setColor(double red, double green, double blue, double alpha) override;
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override;

private:
    std::FILE* _out;
    int _writeError = 0;
};
