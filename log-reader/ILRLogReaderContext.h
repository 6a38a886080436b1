#pragma once

class DispatchQueue;
struct ILRLogReaderFlags;
class NotificationCenter;
class Processes;
class RunLoop;
class UserDefaults;
class ZRFindPasteboard;
class ZRSystemLog;

// What the log reader uses of the program, handed to it by whoever makes it (the program's main, a test):
// the reader reaches none of these through the program's shared instances, so a test gives it a desktop and
// settings of its own. Each outlives every reader made with it.
struct ILRLogReaderContext {
    // The desktop's child processes, where the log tool runs.
    Processes& processes;
    // The debug-logging switch and the window's options.
    UserDefaults& defaults;
    // The main thread, where the workers hand their results back.
    RunLoop& mainRunLoop;
    // The workers that read the log and build the display.
    DispatchQueue& workers;
    // Where the reader tells its windows to update.
    NotificationCenter& notifications;
    // Where every line of the program is written, whatever the reader keeps of it.
    ZRSystemLog& systemLog;
    // The program's find string, which the window's find bar shows.
    ZRFindPasteboard& findPasteboard;
    // The system the reader runs on, which decides whether it reads the log tool or keeps the messages
    // itself.
    const ILRLogReaderFlags& flags;
};
