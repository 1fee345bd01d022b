#include <gtest/gtest.h>

#include <atomic>

#include "app/SingleInstance.h"
#include "util/Util.h"
#include "util/WorkerThread.h"

namespace {
std::atomic<int> g_loops{0};

unsigned __stdcall RunUntilStopped(void* argument)
{
    auto* worker = static_cast<WorkerThread*>(argument);
    while (!worker->ShouldStop()) {
        ++g_loops;
        ::Sleep(5);
    }
    return 0;
}

unsigned __stdcall NeverStops(void*)
{
    ::Sleep(3000);
    return 0;
}
}  // namespace

TEST(WorkerThread, StopSignalsTheProcedureAndWaits)
{
    WorkerThread worker;
    g_loops = 0;
    ASSERT_EQ(worker.Start(nullptr, RunUntilStopped), 0);
    while (g_loops == 0) {
        ::Sleep(1);
    }
    EXPECT_FALSE(worker.Stop());  // ended within the wait
    EXPECT_EQ(worker.ThreadHandle(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(worker.ShouldStop());  // the event is reset after a stop
}

TEST(WorkerThread, StopReportsAThreadThatDoesNotEnd)
{
    WorkerThread worker;
    ASSERT_EQ(worker.Start(nullptr, NeverStops), 0);
    EXPECT_TRUE(worker.Stop());
}

TEST(WorkerThread, StopResumesASuspendedThread)
{
    WorkerThread worker;
    g_loops = 0;
    ASSERT_EQ(worker.Start(nullptr, RunUntilStopped), 0);
    while (g_loops == 0) {
        ::Sleep(1);
    }
    worker.Suspend();
    EXPECT_FALSE(worker.Stop());
}

TEST(WorkerThread, NotifyOnlyReachesAnExistingWindow)
{
    WorkerThread worker;
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(worker.Start(window, RunUntilStopped), 0);
    worker.Notify(WM_APP + 7, 1, 2);
    MSG message{};
    EXPECT_TRUE(::PeekMessageW(&message, window, WM_APP + 7, WM_APP + 7, PM_REMOVE));
    EXPECT_EQ(message.wParam, 1u);
    ::DestroyWindow(window);
    worker.Notify(WM_APP + 7, 1, 2);  // gone: nothing is posted, nothing crashes
    EXPECT_FALSE(::PeekMessageW(&message, nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE));
    worker.Stop();
}

TEST(SingleInstance, SecondMutexOfTheSameNameSeesTheFirst)
{
    const std::wstring name = L"Local\\tarvex-test-" + CUtil::NewGuidString();
    CSingleInstance first(name.c_str());
    EXPECT_FALSE(first.IsAlreadyRunning());
    CSingleInstance second(name.c_str());
    EXPECT_TRUE(second.IsAlreadyRunning());
    second.Close();
    first.Close();
    CSingleInstance third(name.c_str());
    EXPECT_FALSE(third.IsAlreadyRunning());
}
