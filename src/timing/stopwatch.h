// Stopwatch: seconds elapsed since it started, the time base of an animation.
#pragma once

// Seconds since construction. Nothing stops or resets it.
class Stopwatch {
public:
    Stopwatch();
    double elapsed() const;

private:
    double startTime;
    double accumulated;
    bool stopped;
};
