// Helpers for tests of Kadra's core: a clean process-wide state and a scratch folder.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "graph.h"
#include "host.h"
#include "ktext.h"
#include "product_profile.h"
#include "result_table.h"
#include "results_text.h"
#include "run_state.h"
#include "test_log.h"
#include "test_settings.h"

namespace kadra::testing {

// Puts every process-wide record back to its initial state and installs the default host.
inline void ResetKadraState() {
    InstallHost(Host{});
    testSettings = TestSettings{};
    runState = RunState{};
    graphState = GraphState{};
    resultTable = ResultTable{};
    productTable = ProductTable{};
    ClearResults();
}

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class ScratchFolder {
  public:
    ScratchFolder() {
        static std::atomic<int> serial{0};
        path_ = std::filesystem::temp_directory_path() /
                ("kadra-model-test-" + std::to_string(std::random_device{}()) + "-" +
                 std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Full path of a file in the folder, as a Kadra text.
    KText File(std::string_view name) const { return (path_ / name).wstring(); }
    // Writes the bytes as the file's whole content.
    void Write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Read(std::string_view name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

  private:
    std::filesystem::path path_;
};

}  // namespace kadra::testing
