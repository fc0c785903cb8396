// ServiceMessageQueue: the message pump that long operations call between steps.
#include "pelmou.h"

namespace {

// A message that keeps coming back (a window that never validates its paint, a handler that
// posts itself again) must not hold the caller forever: one call dispatches at most this many.
constexpr int kMaxMessagesPerCall = 10000;

bool IsKeyboardMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

// The dialog (a top-level window of the dialog class) that the message's window belongs to.
HWND DialogOf(HWND window) {
    if (window == nullptr) return nullptr;
    HWND top = GetAncestor(window, GA_ROOT);
    if (top == nullptr) return nullptr;
    const ATOM dialogClass = 32770;  // WC_DIALOG, "#32770"
    return GetClassLongPtrW(top, GCW_ATOM) == dialogClass ? top : nullptr;
}

}  // namespace

extern "C" {

void WINAPI ServiceMessageQueue(void) {
    MSG message;
    for (int count = 0; count < kMaxMessagesPerCall; ++count) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return;
        if (message.message == WM_QUIT) {
            // Left for the message loop that owns the thread.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (IsKeyboardMessage(message.message)) {
            HWND dialog = DialogOf(message.hwnd);
            if (dialog != nullptr && IsDialogMessageW(dialog, &message)) continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // extern "C"
