#include "present/UnmarkedSegment.hpp"

#include <csignal>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

volatile std::sig_atomic_t unmarked = -1;

}

void UnmarkedSegment::remember(int segment)
{
    unmarked = segment;
}

void UnmarkedSegment::markForRemoval()
{
    int segment = unmarked;
    if (segment >= 0)
        shmctl(segment, IPC_RMID, nullptr);
    unmarked = -1;
}
