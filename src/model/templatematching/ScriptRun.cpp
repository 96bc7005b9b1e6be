#include "model/templatematching/ScriptRun.h"

#include <exception>
#include <thread>

std::shared_ptr<ScriptRun> ScriptRun::start(const PythonApi& api, Work work)
{
    std::shared_ptr<ScriptRun> run(new ScriptRun(api));
    run->m_self = run;
    std::thread([run, work = std::move(work)] { run->run(work); }).detach();
    return run;
}

void ScriptRun::run(const Work& work)
{
    std::optional<QString> failure;
    {
        PythonGil gil(m_api);
        bool cancelled = false;
        {
            std::lock_guard lock(m_mutex);
            m_thread = m_api.PyThread_get_thread_ident();
            cancelled = m_cancelled;
        }
        if (cancelled) {
            failure = QStringLiteral("Cancelled before it began");
        } else {
            try {
                PythonCall py(m_api);
                work(py);
            } catch (const PythonError& error) {
                failure = error.message;
            } catch (const std::exception& error) {
                failure = QString::fromLocal8Bit(error.what());
            }
        }
        // Still under the interpreter lock, which cancel() takes too: after this, no exception
        // can be aimed at this thread.
        std::lock_guard lock(m_mutex);
        m_thread = 0;
    }
    std::lock_guard lock(m_mutex);
    m_failure = std::move(failure);
    m_finished = true;
    m_done.notify_all();
    // Under the mutex, so that a hook being removed is not called after its removal.
    if (m_hook)
        m_hook();
}

bool ScriptRun::isFinished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

bool ScriptRun::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

std::optional<QString> ScriptRun::failure() const
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void ScriptRun::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_finished || m_cancelled)
            return;
        m_cancelled = true;
    }
    // The interpreter lock can take a while to come free; the caller's thread never waits for it.
    std::thread([run = m_self.lock()] {
        PythonGil gil(run->m_api);
        std::lock_guard lock(run->m_mutex);
        if (run->m_thread)
            run->m_api.PyThreadState_SetAsyncExc(run->m_thread, *run->m_api.PyExc_KeyboardInterrupt);
    }).detach();
}

void ScriptRun::waitUntilFinished()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_finished; });
}

void ScriptRun::setFinishedHook(std::function<void()> hook)
{
    std::lock_guard lock(m_mutex);
    m_hook = std::move(hook);
    if (m_finished && m_hook)
        m_hook();
}
