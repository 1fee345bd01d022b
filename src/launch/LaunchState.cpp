#include "launch/LaunchState.h"

#include "util/ProcessContext.h"

namespace {
ProcessObject<LaunchState> g_launch;
} // namespace

LaunchState& LaunchData()
{
    return g_launch.Get();
}
