#pragma once

// Long reads, analyses and spectra hand part of their work to a second
// thread. Where every core is already busy with work of its own (a batch
// working on several files at once, or one asked to use a single thread),
// that is turned off for the calling thread while a NoHelperThread lives.
// The figures are the same either way.
bool helperThreadAllowed();

class NoHelperThread {
public:
    NoHelperThread();
    ~NoHelperThread();
    NoHelperThread(const NoHelperThread &) = delete;
    NoHelperThread &operator=(const NoHelperThread &) = delete;

private:
    bool previous_;
};
