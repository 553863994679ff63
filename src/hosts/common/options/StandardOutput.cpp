#include "options/StandardOutput.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

int StandardOutput::flushed(const char* program)
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program, std::strerror(errno));
    return 1;
}
