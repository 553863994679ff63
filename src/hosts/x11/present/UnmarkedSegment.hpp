#pragma once

// A SysV shared-memory segment outlives the program unless it is marked for
// removal, and it can be marked only once the X server has attached it too.
// The one segment made and not yet marked is remembered here, so that the
// exits that run no destructors (a stop signal's deadline, a lost X
// connection) can mark it on their way out.
class UnmarkedSegment {
public:
    static void remember(int segment);
    // Marks the remembered segment for removal, if there is one: it goes with
    // its last detach. Safe in a signal handler.
    static void markForRemoval();
};
