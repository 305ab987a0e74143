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
