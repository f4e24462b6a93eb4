#include "session/threads.h"

#include <algorithm>

namespace {

int cores()
{
    // Asked once: the answer comes from a system file.
    static const int count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return count;
}

} // namespace

ThreadPolicy defaultThreads()
{
    ThreadPolicy policy;
    policy.threads = cores();
    return policy;
}

ThreadPolicy singleThread()
{
    return ThreadPolicy{};
}

JobPlan planJobs(int64_t jobs, size_t files)
{
    const int64_t threads = std::min<int64_t>(jobs > 0 ? jobs : cores(), cores());
    const int64_t total = jobs > 0 ? jobs : cores();
    JobPlan plan;
    plan.filesAtOnce = static_cast<size_t>(std::clamp<int64_t>(static_cast<int64_t>(files), 1, total));
    plan.perFile.threads =
        static_cast<int>(std::max<int64_t>(1, threads / static_cast<int64_t>(plan.filesAtOnce)));
    return plan;
}
