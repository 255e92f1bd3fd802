#include "ServerThread.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace store {

namespace {

class Worker
{
public:
    Worker()
    {
        std::thread thread([this] { loop(); });
        m_id = thread.get_id();
        thread.detach();
    }

    void call(const std::function<void()>& work)
    {
        if (std::this_thread::get_id() == m_id) {
            work();
            return;
        }
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return !m_work; });
        m_work = &work;
        m_error = nullptr;
        m_done = false;
        m_ready.notify_all();
        m_finished.wait(lock, [this] { return m_done; });
        std::exception_ptr error = m_error;
        m_work = nullptr;
        m_idle.notify_all();
        lock.unlock();
        if (error)
            std::rethrow_exception(error);
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_ready.wait(lock, [this] { return m_work && !m_done; });
            lock.unlock();
            std::exception_ptr error;
            try {
                (*m_work)();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            m_error = error;
            m_done = true;
            m_finished.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_finished;
    std::condition_variable m_idle;
    const std::function<void()>* m_work = nullptr;
    std::exception_ptr m_error;
    bool m_done = false;
    std::thread::id m_id;
};

} // namespace

void ServerThread::call(const std::function<void()>& work)
{
    // Never destroyed: the data module closes the store from its own destructor at exit.
    static Worker* worker = new Worker;
    worker->call(work);
}

} // namespace store
