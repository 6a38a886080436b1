#pragma once

// What the reader knows of the system it runs on, set once per process. The system the reader was first
// written for decides its modes by them: a sandboxed process keeps its messages itself, newer systems
// leave their own subsystem's entries out, and the newest keep messages themselves while debug logging
// is on. This desktop counts as the newer system but not the newest. A reader is handed the flags in its
// context; tests hand flags of their own.
struct ILRLogReaderFlags {
    // The environment has "APP_SANDBOX_CONTAINER_ID", or "HOME" contains "/Library/Containers/".
    bool sandboxed = false;
    bool macOS15OrLater = true;
    bool macOS26OrLater = false;

    // This process's, read once.
    static const ILRLogReaderFlags& shared();
};
