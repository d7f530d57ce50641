// The one screen lock. Two threads draw during a scan (the sweep and the
// radar), and SDL 1.2's video and event calls are not safe to run
// concurrently: every drawing operation, presentation and other SDL video or
// event call runs under this lock.
#pragma once

// Holds the one screen lock for its lifetime. Recursive: a toolkit operation
// called while the lock is held does not block its own thread.
class TravaDaTela {
public:
    TravaDaTela();
    ~TravaDaTela();
    TravaDaTela(const TravaDaTela&) = delete;
    TravaDaTela& operator=(const TravaDaTela&) = delete;
};
