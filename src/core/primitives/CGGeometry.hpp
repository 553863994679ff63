#pragma once

// The host's rectangle types: 64-bit floats, as the screen-saver host reports them.
struct CGPoint {
    double x = 0;
    double y = 0;
};

struct CGSize {
    double width = 0;
    double height = 0;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
};
