#pragma once

#include <functional>

namespace store {

// Runs the embedded server's calls, one at a time, on a thread of their own while the
// caller waits. The server works out the calling thread's stack bounds on every call,
// which for the program's main thread means reading the whole memory map each time;
// for a thread it started itself that is free.
class ServerThread
{
public:
    // Runs work on the server thread and returns when it is done; an exception it
    // raises is raised again in the caller.
    static void call(const std::function<void()>& work);
};

} // namespace store
