// Preloaded into vorpi by the tests, it sends a signal to the X server right
// after vorpi's Nth shmget: the server stops or goes away when the segment is
// made and before the server has attached it, the moment a segment is most
// easily left behind. STOP_SERVER_AT_SHMGET holds "PID SIGNAL N".

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/shm.h>

extern "C" int shmget(key_t key, size_t size, int flags)
{
    using Shmget = int (*)(key_t, size_t, int);
    static auto next = reinterpret_cast<Shmget>(dlsym(RTLD_NEXT, "shmget"));
    static int calls = 0;
    int segment = next(key, size, flags);
    int server = 0, signal = 0, at = 0;
    const char* plan = std::getenv("STOP_SERVER_AT_SHMGET");
    if (plan && std::sscanf(plan, "%d %d %d", &server, &signal, &at) == 3 && ++calls == at)
        kill(server, signal);
    return segment;
}
