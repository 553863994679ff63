#include "options/StandardStreams.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace {

bool outputWritable = true;

}

void StandardStreams::secure()
{
    for (int descriptor : { STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO }) {
        int flags = fcntl(descriptor, F_GETFL);
        if (descriptor == STDOUT_FILENO)
            outputWritable = flags != -1 && (flags & O_ACCMODE) != O_RDONLY;
        // The lower ones are open by now, so /dev/null takes this very number.
        if (flags == -1 && errno == EBADF)
            open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
}

bool StandardStreams::outputWasWritable()
{
    return outputWritable;
}

int StandardStreams::flushed(const char* program)
{
    // Closed at the start, it was put on /dev/null, which takes anything.
    int error = outputWritable ? 0 : EBADF;
    if (!error && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        error = errno;
    if (error)
        std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program, std::strerror(error));
    return error ? 1 : 0;
}
