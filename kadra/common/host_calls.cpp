#include "host_calls.h"

#include "host.h"

namespace kadra {

void ServiceMessageQueue() {
    const HostCalls& hostCalls = CurrentHostCalls();
    if (hostCalls.serviceMessageQueue) hostCalls.serviceMessageQueue();
}

void SetWaitCursor(bool on) {
    const HostCalls& hostCalls = CurrentHostCalls();
    if (hostCalls.setWaitCursor) hostCalls.setWaitCursor(on);
}

void ShowMessageBox(const KText& text, const KText& caption) {
    const HostCalls& hostCalls = CurrentHostCalls();
    if (hostCalls.messageBox) hostCalls.messageBox(text, caption);
}

void TellBlockStarted(const KText& pass, uint32_t blockSize) {
    const HostCalls& hostCalls = CurrentHostCalls();
    if (hostCalls.blockStarted) hostCalls.blockStarted(pass, blockSize);
}

void TellPointPlotted(uint32_t index, double megabytesPerSecond, bool hang) {
    const HostCalls& hostCalls = CurrentHostCalls();
    if (hostCalls.pointPlotted) hostCalls.pointPlotted(index, megabytesPerSecond, hang);
}

void TellBlockFinished(const BlockFinish& finish) {
    const HostCalls& hostCalls = CurrentHostCalls();
    if (hostCalls.blockFinished) hostCalls.blockFinished(finish);
}

}  // namespace kadra
