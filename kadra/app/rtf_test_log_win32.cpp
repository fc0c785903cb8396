#include "rtf_test_log_win32.h"

#include <cstdlib>

#include "pelmou.h"

namespace kadra {

bool RtfTestLog::Create(const KText& path) {
    Close();
    document_ = RTF_Create(path.c_str());
    return document_ != nullptr;
}

void RtfTestLog::AddText(const KText& text, uint32_t flags) {
    if (document_) RTF_AddText(document_, text.c_str(), flags);
}

void RtfTestLog::AddWindowImage(LogWindow window) {
    if (!document_) return;
    HWND source = XDialogItem(dialog_, window == LogWindow::Graph ? 15 : 14);
    if (!source) return;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    if (!GetWindowBitmap(source, &header, nullptr)) return;
    // Room beyond the image size, as the library may write a little past the rows it reports.
    void* pixels = std::malloc(static_cast<size_t>(header.biSizeImage) + 1000);
    if (!pixels) return;
    if (GetWindowBitmap(source, &header, pixels)) {
        FlipImage(header, pixels);
        RTF_AddImage(document_, &header, pixels, RTF_HEADING);
    }
    std::free(pixels);
}

void RtfTestLog::Close() {
    if (!document_) return;
    RTF_Close(document_);
    document_ = nullptr;
}

void RtfTestLog::ReportCreateFailure(const KText& message, const KText& caption) {
    XMessageBox(dialog_ ? dialog_->window : nullptr, message.c_str(), caption.c_str(), 0, nullptr,
                0);
}

}  // namespace kadra
