// The test log of the native program: the RTF document the window program writes, through the
// portable RTF writer, with the pictures drawn by cairo: the graph canvas's current picture and
// a picture of the results text. A log of a stopped run says so above its summary picture.
#pragma once

#include <iostream>
#include <memory>

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
    // Places the document at its path; tells when it could not be written.
    void Close() override;
    // Prints the caption and the message, as the terminal's message boxes are printed.
    void ReportCreateFailure(const KText& message, const KText& caption) override;

  private:
    void AddPicture(const DibPicture& picture);

    const RasterGraphCanvas& canvas_;
    std::ostream& messages_;
    std::unique_ptr<pelmou::RtfWriter> writer_;
};

}  // namespace kadra
