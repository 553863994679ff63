#pragma once

// What a program prints on standard output (its help, its version) is
// flushed only at exit, where a failure to write it would go unnoticed.
class StandardOutput {
public:
    // Flushes standard output: 0 when all of it was written; otherwise 1,
    // after one line on standard error that `program` could not write it and why.
    static int flushed(const char* program);
};
