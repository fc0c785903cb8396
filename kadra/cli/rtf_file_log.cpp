#include "rtf_file_log.h"

#include <filesystem>

#include "results_picture.h"
#include "results_text.h"
#include "run_state.h"

namespace kadra {

bool RtfFileLog::Create(const KText& path) {
    Close();
    writer_ = pelmou::RtfWriter::Create(std::filesystem::path(ToUtf8(path)));
    return writer_ != nullptr;
}

void RtfFileLog::AddText(const KText& text, uint32_t flags) {
    if (writer_) writer_->AddText(std::wstring_view(text), flags);
}

void RtfFileLog::AddPicture(const DibPicture& picture) {
    if (!writer_ || picture.rows.empty()) return;
    writer_->AddImage(picture.width, picture.height, 32, pelmou::RowOrder::TopDown, picture.rows);
}

void RtfFileLog::AddWindowImage(LogWindow window) {
    if (!writer_) return;
    if (window == LogWindow::Graph) {
        AddPicture(canvas_.Picture());
        return;
    }
    // The summary of a run the user stopped: the results hold only what was measured so far.
    if (runState.abortRequested) {
        writer_->AddText(std::wstring_view(L"STOPPED\n"), kLogHeading);
        writer_->AddText(
            std::wstring_view(L"The run was stopped before its end; what follows is what it "
                              L"measured until then.\n"),
            kLogPlain);
    }
    CairoSurface results = RenderResultsPicture(ResultsText());
    AddPicture(DibOfSurface(results.get()));
}

void RtfFileLog::Close() {
    if (!writer_) return;
    std::unique_ptr<pelmou::RtfWriter> writer = std::move(writer_);
    if (!writer->Close()) {
        messages_ << "kadra: the log " << writer->path().string() << " could not be written\n"
                  << std::flush;
    }
}

void RtfFileLog::ReportCreateFailure(const KText& message, const KText& caption) {
    messages_ << ToUtf8(caption) << ": " << ToUtf8(message) << "\n" << std::flush;
}

}  // namespace kadra
