#pragma once

// Descriptors 0, 1 and 2 as the program found them. Started with one of them
// closed, a program would give that number to the first file it opens, and
// whatever it printed there would land in that file.
class StandardStreams {
public:
    // Opens /dev/null on each one that is closed. Call before opening anything.
    static void secure();
    // Whether standard output was open for writing when secure() ran.
    static bool outputWasWritable();
    // Flushes what the program printed on standard output (its help, its
    // version), which would otherwise happen at exit, unchecked: 0 when all of
    // it was written; otherwise 1, after one line that `program` could not.
    static int flushed(const char* program);
};
