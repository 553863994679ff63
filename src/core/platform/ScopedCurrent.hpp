#pragma once

// Makes one object of type T current on the calling thread for the scope's
// lifetime, then restores the one that was current before. Each thread has a
// current object of its own, null where no scope is open, so that sessions
// on different threads never see each other's.
template <typename T>
class ScopedCurrent {
public:
    explicit ScopedCurrent(T* object)
        : _previous(current)
    {
        current = object;
    }
    ~ScopedCurrent() { current = _previous; }
    ScopedCurrent(const ScopedCurrent&) = delete;
    ScopedCurrent& operator=(const ScopedCurrent&) = delete;

    static T* get() { return current; }

private:
    static inline thread_local T* current = nullptr;
    T* _previous;
};
