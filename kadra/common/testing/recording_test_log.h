// A test log writer that records the document it is given, for tests.
#pragma once

#include <cstdint>
#include <vector>

#include "ktext.h"
#include "test_log.h"

namespace kadra {

class RecordingTestLog : public TestLog {
  public:
    enum class Kind { Text, Image };
    struct Entry {
        Kind kind;
        KText text;  // Text
        uint32_t flags = 0;
        LogWindow window = LogWindow::Graph;  // Image
    };

    bool Create(const KText& path) override {
        createdPaths.push_back(path);
        return createSucceeds;
    }
    void AddText(const KText& text, uint32_t flags) override {
        entries.push_back({Kind::Text, text, flags});
    }
    void AddWindowImage(LogWindow window) override {
        entries.push_back({Kind::Image, {}, 0, window});
    }
    void Close() override { ++closeCount; }
    void ReportCreateFailure(const KText& message, const KText& caption) override {
        failures.push_back(message);
        failureCaption = caption;
    }

    bool createSucceeds = true;
    std::vector<KText> createdPaths;
    std::vector<Entry> entries;
    int closeCount = 0;
    std::vector<KText> failures;
    KText failureCaption;
};

}  // namespace kadra
