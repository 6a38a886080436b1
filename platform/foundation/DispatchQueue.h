#pragma once

#include <functional>
#include <memory>

// Work that may block runs on a worker queue and hands its result back to the main thread with
// RunLoop::main().performOnMainThread().
enum class QueuePriority { High, Default, Background };

class DispatchQueue {
public:
    using Task = std::function<void()>;

    static DispatchQueue& global(QueuePriority priority);

    void async(Task task);

    // Runs the call once the task that runs on this thread has ended, so that the many small hand-overs of
    // one task to the main thread go as one; false where no task runs, and the caller acts at once.
    static bool atEndOfCurrentTask(Task call);

    // Tests: tasks wait until drainForTesting() runs them on the calling thread, in order, so a
    // worker's effect is deterministic. Off again: tasks run on worker threads.
    static void setManualForTesting(bool manual);
    // Runs every waiting task of every queue; returns how many ran.
    static int drainForTesting();
    // Real workers: waits until every queue is idle.
    static void waitForIdle();
    // At quit: takes no new tasks from now on (they are dropped) and waits at most the bound for
    // those queued or running; answers whether every queue finished.
    static bool finishForQuit(double seconds);
    // Tests: takes tasks again after finishForQuit.
    static void reopenForTesting();

    ~DispatchQueue();

private:
    explicit DispatchQueue(QueuePriority priority);
    struct Private;
    std::unique_ptr<Private> d;
};
