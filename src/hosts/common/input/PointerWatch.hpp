#pragma once

// Decides when the pointer has moved enough to end a full-screen saver. The
// first position it hears of is where the pointer rests (a desktop tells a
// window where the pointer is as it appears under it); only a move beyond
// `slack` pixels from there on either axis counts, so that a jittery mouse
// does not end the saver.
class PointerWatch {
public:
    // What every full-screen host allows.
    static constexpr int usualSlack = 4;

    explicit PointerWatch(int slack = usualSlack)
        : _slack(slack)
    {
    }

    // True once the pointer, in screen or surface coordinates, has left the slack around its resting place.
    bool movedTo(int x, int y);

private:
    int _slack;
    bool _resting = false;
    int _restX = 0;
    int _restY = 0;
};
