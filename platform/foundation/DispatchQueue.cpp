#include "platform/foundation/DispatchQueue.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/ThreadSanitizer.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// A task that keeps queueing more work would otherwise keep drainForTesting() running forever.
constexpr int MaxDrainedTasks = 100000;

std::atomic<bool> manualMode{false};
// The pools hand a task to a thread after it was queued, and their waits return after the tasks, under Qt's
// own locks; these tokens show that order to ThreadSanitizer. A task acquires before it reads anything of
// its own, so the token that it acquires is one it need not read to find.
char taskQueued = 0;
// The program quits: tasks that come now would find the desktop gone.
std::atomic<bool> closed{false};

struct Waiting {
    QueuePriority priority;
    DispatchQueue::Task task;
};

// Manual mode: one line for every queue, so draining keeps the order in which tasks were queued.
std::mutex waitingMutex;
std::deque<Waiting> waiting;

// The calls put off to the end of the task that runs on this thread; null outside a task.
thread_local std::vector<DispatchQueue::Task>* endOfTaskCalls = nullptr;

// Runs a task, then what it put off to its end.
void runTask(const DispatchQueue::Task& task) {
    std::vector<DispatchQueue::Task> calls;
    std::vector<DispatchQueue::Task>* outer = std::exchange(endOfTaskCalls, &calls);
    task();
    endOfTaskCalls = outer;
    for (const auto& call : calls)
        call();
}

QThread::Priority threadPriority(QueuePriority priority) {
    switch (priority) {
    case QueuePriority::High:
        return QThread::HighPriority;
    case QueuePriority::Background:
        return QThread::LowestPriority;
    case QueuePriority::Default:
        break;
    }
    return QThread::NormalPriority;
}

} // namespace

struct DispatchQueue::Private {
    QueuePriority priority;
    QThreadPool pool;
    char done = 0; // released by each task of the pool as it ends

    bool waitForDone(int milliseconds = -1) {
        const bool finished = pool.waitForDone(milliseconds);
        if (finished)
            threadSanitizerAcquire(&done);
        return finished;
    }
};

DispatchQueue::DispatchQueue(QueuePriority priority) : d(std::make_unique<Private>()) {
    d->priority = priority;
    d->pool.setThreadPriority(threadPriority(priority));
}

DispatchQueue::~DispatchQueue() {
    d->waitForDone();
}

DispatchQueue& DispatchQueue::global(QueuePriority priority) {
    // Never destroyed: workers may still be running while the program exits.
    static DispatchQueue* high = new DispatchQueue(QueuePriority::High);
    static DispatchQueue* normal = new DispatchQueue(QueuePriority::Default);
    static DispatchQueue* background = new DispatchQueue(QueuePriority::Background);
    switch (priority) {
    case QueuePriority::High:
        return *high;
    case QueuePriority::Background:
        return *background;
    case QueuePriority::Default:
        break;
    }
    return *normal;
}

void DispatchQueue::async(Task task) {
    if (!task)
        return;
    if (closed) {
        platformLog(QStringLiteral("dispatch queues: the program quits, a task is dropped"));
        return;
    }
    if (manualMode) {
        std::lock_guard lock(waitingMutex);
        waiting.push_back({d->priority, std::move(task)});
        return;
    }
    Task queued = [task = std::move(task), d = d.get()] {
        threadSanitizerAcquire(&taskQueued);
        runTask(task);
        threadSanitizerRelease(&d->done);
    };
    threadSanitizerRelease(&taskQueued);
    d->pool.start(std::move(queued));
}

bool DispatchQueue::atEndOfCurrentTask(Task call) {
    if (!endOfTaskCalls || !call)
        return false;
    endOfTaskCalls->push_back(std::move(call));
    return true;
}

void DispatchQueue::setManualForTesting(bool manual) {
    manualMode = manual;
    if (manual)
        return;
    // Tasks queued while manual still run, now on workers.
    std::deque<Waiting> left;
    {
        std::lock_guard lock(waitingMutex);
        left.swap(waiting);
    }
    for (auto& entry : left)
        global(entry.priority).async(std::move(entry.task));
}

int DispatchQueue::drainForTesting() {
    int ran = 0;
    for (;;) {
        Waiting next;
        {
            std::lock_guard lock(waitingMutex);
            if (waiting.empty())
                break;
            next = std::move(waiting.front());
            waiting.pop_front();
        }
        runTask(next.task);
        if (++ran == MaxDrainedTasks) {
            platformLog(
                QStringLiteral("dispatch queues: still busy after %1 tasks, stopped draining").arg(ran));
            break;
        }
    }
    return ran;
}

void DispatchQueue::waitForIdle() {
    const auto all = {QueuePriority::High, QueuePriority::Default, QueuePriority::Background};
    // A task on one queue may queue more on another that was already found idle.
    for (;;) {
        for (auto priority : all)
            global(priority).d->waitForDone();
        bool idle = true;
        for (auto priority : all)
            idle = idle && global(priority).d->pool.activeThreadCount() == 0;
        if (idle)
            return;
    }
}

bool DispatchQueue::finishForQuit(double seconds) {
    closed = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool finished = true;
    for (auto priority : {QueuePriority::High, QueuePriority::Default, QueuePriority::Background}) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        finished = global(priority).d->waitForDone(int(std::max<qint64>(left.count(), 0))) && finished;
    }
    return finished;
}

void DispatchQueue::reopenForTesting() {
    closed = false;
}
