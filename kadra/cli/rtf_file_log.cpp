#include "rtf_file_log.h"

#include <filesystem>

#include "output_file.h"
#include "results_picture.h"
#include "results_text.h"

namespace kadra {

bool RtfFileLog::Create(const KText& path) {
    Discard();
    createFailed_ = false;
    createError_.clear();
    writer_ = pelmou::RtfWriter::Create(outfile::PathFromNarrow(ToUtf8(path)), &createError_);
    if (!writer_) createFailed_ = true;
    return writer_ != nullptr;
}

void RtfFileLog::AddText(const KText& text, uint32_t flags) {
    if (!writer_) return;
    if (summaryAsked_) {
        afterSummary_.emplace_back(text, flags);
        return;
    }
    writer_->AddText(std::wstring_view(text), flags);
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
    // The results as they stand at the end of the run; whether it was stopped is Finish's.
    CairoSurface results = RenderResultsPicture(ResultsText());
    summary_ = DibOfSurface(results.get());
    summaryAsked_ = true;
}

void RtfFileLog::Close() {}

bool RtfFileLog::Finish(bool stopped) {
    if (createFailed_) {
        createFailed_ = false;
        return false;  // told by ReportCreateFailure
    }
    if (!writer_) return true;
    if (summaryAsked_) {
        summaryAsked_ = false;
        // The summary of a run the user stopped: the results hold only what was measured so far.
        if (stopped) {
            writer_->AddText(std::wstring_view(L"STOPPED\n"), kLogHeading);
            writer_->AddText(
                std::wstring_view(L"The run was stopped before its end; what follows is what it "
                                  L"measured until then.\n"),
                kLogPlain);
        }
        AddPicture(summary_);
        for (const auto& [text, flags] : afterSummary_)
            writer_->AddText(std::wstring_view(text), flags);
    }
    summary_ = {};
    afterSummary_.clear();
    std::unique_ptr<pelmou::RtfWriter> writer = std::move(writer_);
    if (writer->Close()) return true;
    // The writer's reason names the path, which the message names already.
    const std::string path = outfile::PathText(writer->path());
    std::string reason = writer->failure();
    if (reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2);
    messages_ << "kadra: the log " << path << " could not be written"
              << (reason.empty() ? "" : ": " + reason) << "\n"
              << std::flush;
    return false;
}

void RtfFileLog::Discard() {
    writer_.reset();
    summaryAsked_ = false;
    summary_ = {};
    afterSummary_.clear();
}

void RtfFileLog::ReportCreateFailure(const KText& message, const KText& caption) {
    messages_ << ToUtf8(caption) << ": " << ToUtf8(message) << "\n";
    // The system's reason, which the window program's message leaves out.
    if (!createError_.empty()) messages_ << "kadra: " << createError_ << "\n";
    messages_ << std::flush;
}

}  // namespace kadra
