#include "util/SentMessageWait.h"

DWORD WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return WAIT_FAILED;
    }
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG now = ::GetTickCount64();
            remaining = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &handle, FALSE, remaining, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + 1) {
            return woken;
        }
        // Peeking delivers the pending sent messages and leaves the queue as it was.
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
