// The test log of the native program: the RTF document the window program writes, through the
// portable RTF writer, with the pictures drawn by cairo: the graph canvas's current picture and
// a picture of the results text. A log of a stopped run says so above its summary picture.
//
// The run's end does not place the document: the summary and everything after it wait, and
// Finish writes them and places the document once the program has decided how the run ended,
// so that the log says "STOPPED" exactly when the exit status and the result files say so.
#pragma once

#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "raster_graph_canvas.h"
#include "rtf_writer.h"
#include "test_log.h"

namespace kadra {

class RtfFileLog : public TestLog {
  public:
    // Messages (the log not created or not written) go to `messages`.
    explicit RtfFileLog(const RasterGraphCanvas& canvas, std::ostream& messages = std::cerr)
        : canvas_(canvas), messages_(messages) {}

    bool Create(const KText& path) override;
    void AddText(const KText& text, uint32_t flags) override;
    void AddWindowImage(LogWindow window) override;
    // The document is complete; Finish places it.
    void Close() override;
    // Prints the caption and the message, as the terminal's message boxes are printed.
    void ReportCreateFailure(const KText& message, const KText& caption) override;

    // Writes what waited for the run's outcome (the "STOPPED" mark when `stopped`, the summary
    // picture, the texts after it) and places the document at its path. False, told on the
    // messages, when the log was asked for and could not be created or written; true when there
    // was none.
    bool Finish(bool stopped);
    // The run did not start: no document is placed.
    void Discard();

  private:
    void AddPicture(const DibPicture& picture);

    const RasterGraphCanvas& canvas_;
    std::ostream& messages_;
    std::unique_ptr<pelmou::RtfWriter> writer_;
    bool createFailed_ = false;
    std::string createError_;  // why the document could not be created
    // The summary asked for: its picture, and the texts that follow it.
    bool summaryAsked_ = false;
    DibPicture summary_;
    std::vector<std::pair<KText, uint32_t>> afterSummary_;
};

}  // namespace kadra
