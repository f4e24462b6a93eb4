#include "session/threads.h"

namespace {

thread_local bool allowed = true;

} // namespace

bool helperThreadAllowed()
{
    return allowed;
}

NoHelperThread::NoHelperThread() : previous_(allowed)
{
    allowed = false;
}

NoHelperThread::~NoHelperThread()
{
    allowed = previous_;
}
