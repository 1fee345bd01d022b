#include "util/ProcessContext.h"

#include <utility>
#include <vector>

#include "util/Util.h"

namespace {
// Every slot that has held an object, in the order of first creation.
std::vector<std::pair<void (*)(void*), void*>>& Slots()
{
    static std::vector<std::pair<void (*)(void*), void*>> slots;
    return slots;
}

ProcessObject<CUtil> g_util;
ProcessObject<RunFlags> g_flags;
ProcessObject<PathLists> g_paths;
}  // namespace

std::mutex& ProcessContextLock()
{
    static std::mutex lock;
    return lock;
}

void RegisterProcessObject(void (*reset)(void* slot), void* slot)
{
    Slots().emplace_back(reset, slot);
}

CUtil& Util()
{
    return g_util.Get();
}
RunFlags& Flags()
{
    return g_flags.Get();
}
PathLists& Paths()
{
    return g_paths.Get();
}

void ResetProcessContext()
{
    const std::lock_guard<std::mutex> lock(ProcessContextLock());
    auto& slots = Slots();
    for (auto slot = slots.rbegin(); slot != slots.rend(); ++slot) {
        slot->first(slot->second);
    }
}
