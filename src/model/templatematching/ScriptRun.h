#pragma once

#include "model/templatematching/PythonRuntime.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// Script code run on a worker thread of its own, with the interpreter lock, while its caller waits
// without holding the lock. cancel() raises KeyboardInterrupt in the worker: the script unwinds at
// its next Python instruction (a native call it is in returns first). The worker shares the run, so
// a caller may stop waiting for a run that does not unwind and leave it to end on its own.
class ScriptRun
{
public:
    using Work = std::function<void(PythonCall&)>;

    // Starts work on a new thread; a PythonError it throws is the run's failure.
    static std::shared_ptr<ScriptRun> start(const PythonApi& api, Work work);

    bool isFinished() const;
    bool isCancelled() const;
    // The failure's message, once finished; nothing when the work succeeded.
    std::optional<QString> failure() const;
    // Asks the script to stop, once; never waits.
    void cancel();
    void waitUntilFinished();
    // Called on the worker thread when the run finishes, or at once when it has; an empty hook
    // removes the last one, which is then never called again.
    void setFinishedHook(std::function<void()> hook);

private:
    explicit ScriptRun(const PythonApi& api)
        : m_api(api)
    {
    }
    void run(const Work& work);

    const PythonApi& m_api;
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    unsigned long m_thread = 0; // the worker's Python thread id while it runs script code
    bool m_finished = false;
    bool m_cancelled = false;
    std::optional<QString> m_failure;
    std::function<void()> m_hook;
    std::weak_ptr<ScriptRun> m_self;
};

// How a caller waits for a run: returns once it has finished, or, after cancelling it, when it
// gives up on a script that does not unwind.
class ScriptWaiter
{
public:
    virtual ~ScriptWaiter() = default;
    virtual void wait(ScriptRun& run) = 0;
};
