// timer_slots.h - for a layer that puts a function of its own between GLUT's
// timer and the program's (the page's clock that holds while stepping, the
// bench's tick log): GLUT hands a timer callback one int, so the layer keeps
// the program's callback, value and interval here, by slot, and arms GLUT
// with its own function and the slot. A ring of slots is enough, as a
// program has few timers pending at a time.
#pragma once

struct pending_timer {
    void (*callback)(int) = nullptr;
    int value = 0;
    unsigned int ms = 0;
};

template <int slots>
struct timer_slots {
    pending_timer timers[slots];
    unsigned int next = 0;

    // Keeps a timer; returns the slot to hand GLUT.
    int keep(unsigned int ms, void (*callback)(int), int value)
    {
        const int slot = static_cast<int>(next++ % slots);
        timers[slot] = {callback, value, ms};
        return slot;
    }
    const pending_timer &operator[](int slot) const
    {
        return timers[slot];
    }
};
