// Test support for the BAR space window: a view that records what the window shows and
// answers message boxes and file dialogs from a script, and a machine wrapper that records
// every mapping and can be told to fail.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bar_space_view.h"
#include "machine.h"
#include "service.h"
#include "sim_machine.h"

namespace bexa::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
};

class FakeBarSpaceView : public BarSpaceView {
  public:
    void SetText(int control, const std::string& text) override { texts[control] = text; }
    void SetCheck(int control, bool checked) override { checks[control] = checked; }
    void SetRangeBar(RangeBar bar, int max, int position) override {
        (bar == RangeBar::Kb ? kb : mb) = {max, position};
    }
    void SetListLines(const std::vector<std::string>& newLines) override {
        lines = newLines;
        selected.clear();
        ++fills;
    }
    void SelectListLines(const std::vector<int>& newSelection) override { selected = newSelection; }
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        messages.push_back({text, caption, icon, buttons});
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return MessageAnswer::Cancel;
        }
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::string ChooseFile(bool save) override {
        fileDialogs.push_back(save);
        if (files.empty()) return "";
        std::string path = files.front();
        files.pop_front();
        return path;
    }
    void SetWaitCursor(bool wait) override {
        waitCursor += wait ? 1 : -1;
        if (wait) ++waitCursorShown;
    }

    std::string text(int control) const {
        auto it = texts.find(control);
        return it == texts.end() ? std::string("<unset>") : it->second;
    }
    std::string lastMessage() const { return messages.empty() ? "" : messages.back().text; }

    struct Bar {
        int max = -1;
        int position = -1;
    };
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    Bar kb;
    Bar mb;
    std::vector<std::string> lines;
    std::vector<int> selected;
    int fills = 0;
    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;
    std::deque<std::string> files;
    std::vector<bool> fileDialogs;
    int waitCursor = 0;
    int waitCursorShown = 0;
};

// Passes everything to a machine it owns; records the mapped ranges and the open views, and
// fails port accesses or mappings on request.
class CheckedMachine : public tvk::Machine {
  public:
    explicit CheckedMachine(std::unique_ptr<tvk::Machine> inner) : inner_(std::move(inner)) {}

    bool ReadConfig(uint8_t b, uint8_t d, uint8_t f, uint16_t o, uint32_t& v) override {
        return inner_->ReadConfig(b, d, f, o, v);
    }
    void WriteConfig(uint8_t b, uint8_t d, uint8_t f, uint16_t o, uint32_t v) override {
        inner_->WriteConfig(b, d, f, o, v);
    }
    bool ReadPort(uint32_t port, uint32_t& value) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++portReads;
        return !failPorts && inner_->ReadPort(port, value);
    }
    bool WritePort(uint32_t port, uint32_t value) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return !failPorts && inner_->WritePort(port, value);
    }
    void* MapPhysical(uint32_t address, uint32_t length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        maps.push_back({address, length});
        if (failMaps) return nullptr;
        void* view = inner_->MapPhysical(address, length);
        if (view) ++openViews;
        return view;
    }
    void UnmapPhysical(void* view, uint32_t length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (view) --openViews;
        inner_->UnmapPhysical(view, length);
    }

    struct Map {
        uint32_t address;
        uint32_t length;
    };
    // Whether every mapping asked for lay inside [start, start + size).
    bool allMapsInside(uint64_t start, uint64_t size) const {
        for (const Map& m : maps) {
            if (m.address < start || m.address + uint64_t(m.length) > start + size) return false;
        }
        return true;
    }

    bool failPorts = false;
    bool failMaps = false;
    int portReads = 0;
    long openViews = 0;
    std::vector<Map> maps;

  private:
    std::mutex mutex_;
    std::unique_ptr<tvk::Machine> inner_;
};

// A simulated machine with RAM at `ramStart` (`ramSize` bytes) and, when `ioSize` is not 0, a
// function at 0.3.0 whose BAR 0 decodes `ioSize` bytes of I/O ports at `ioBase`. Installed as
// the machine of the service; the returned wrapper and simulation stay owned by the service.
struct TestMachine {
    CheckedMachine* checked = nullptr;
    tvk::SimMachine* sim = nullptr;
};

inline TestMachine InstallTestMachine(uint32_t ramStart, uint32_t ramSize, uint32_t ioBase = 0,
                                      uint32_t ioSize = 0) {
    auto sim = std::make_unique<tvk::SimMachine>();
    std::string error;
    EXPECT_TRUE(sim->AddRam(ramStart, ramSize, error)) << error;
    if (ioSize != 0) {
        tvk::FunctionImage f;
        f.device = 3;
        f.config.assign(256, 0);
        f.config[0] = 0x34;
        f.config[1] = 0x12;
        f.config[2] = 0x78;
        f.config[3] = 0x56;
        f.config[4] = 0x01;  // I/O decode on
        uint32_t bar = ioBase | 1u;
        for (int i = 0; i < 4; ++i)
            f.config[0x10 + i] = uint8_t(bar >> (8 * i));
        f.barSize[0] = ioSize;
        EXPECT_TRUE(sim->AddFunction(f, error)) << error;
    }
    TestMachine machine;
    machine.sim = sim.get();
    auto checked = std::make_unique<CheckedMachine>(std::move(sim));
    machine.checked = checked.get();
    tvk::InstallMachine(std::move(checked));
    return machine;
}

// Reads and writes simulated memory for the checks of a test.
inline uint32_t PeekWord(tvk::Machine& machine, uint32_t address) {
    void* view = machine.MapPhysical(address, 4);
    EXPECT_NE(view, nullptr) << std::hex << address;
    uint32_t value = view ? *static_cast<volatile uint32_t*>(view) : 0;
    machine.UnmapPhysical(view, 4);
    return value;
}

inline void PokeWord(tvk::Machine& machine, uint32_t address, uint32_t value) {
    void* view = machine.MapPhysical(address, 4);
    ASSERT_NE(view, nullptr) << std::hex << address;
    *static_cast<volatile uint32_t*>(view) = value;
    machine.UnmapPhysical(view, 4);
}

}  // namespace bexa::test
