#pragma once
// Waiting without leaving other threads stuck in SendMessage to us: while the wait lasts, messages
// sent to this thread's windows are answered (posted ones stay queued). A window thread that waits
// for a worker or a setup this way never deadlocks with one that reports to it or broadcasts.
#include <windows.h>

// WAIT_OBJECT_0 when `handle` was signalled, WAIT_TIMEOUT, or WAIT_FAILED. Null handles return at once.
DWORD WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs = INFINITE);
