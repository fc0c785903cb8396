#include "host_calls.h"

namespace kadra {

namespace {
HostCalls hostCalls;
}

void InstallHostCalls(const HostCalls& calls) {
    hostCalls = calls;
}

void ServiceMessageQueue() {
    if (hostCalls.serviceMessageQueue) hostCalls.serviceMessageQueue();
}

void SetWaitCursor(bool on) {
    if (hostCalls.setWaitCursor) hostCalls.setWaitCursor(on);
}

void ShowMessageBox(const KText& text, const KText& caption) {
    if (hostCalls.messageBox) hostCalls.messageBox(text, caption);
}

void TellBlockStarted(const KText& pass, uint32_t blockSize) {
    if (hostCalls.blockStarted) hostCalls.blockStarted(pass, blockSize);
}

}  // namespace kadra
