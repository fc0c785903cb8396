// Bexa's main window: the bus tree, the shown function's identification and register dump,
// direct selection of any address, register writes, the BAR probe, the bridge reset and the
// buttons that open the other windows. Everything the user sees or answers goes through a
// MainWindowView.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "device_list.h"
#include "main_window_view.h"
#include "pci_device.h"

namespace bexa {

// The three direct-select counters and their wrap moduli.
enum class AddressCounter { Bus, Device, Function };

// The edit text of "Write ConfReg" read as hex: "x%X" first, then "%X"; 0 when neither reads.
uint32_t ParseHexValue(const std::string& text);

class MainWindow {
  public:
    explicit MainWindow(MainWindowView& view);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The start-up of the window. Returns false when the driver check ended it.
    bool Initialise();

    // Commands and notifications of the controls.
    void Rescan();
    void TreeSelectionChanged(TreeItem item);
    void StepCounter(AddressCounter counter, int delta);
    void RefreshDump();
    void DumpLineSelected(int index);
    void DumpLineDoubleClicked(int index);
    void WriteConfReg();
    void SetRegisterCount(int count);
    void UseBiosClicked();
    void RefreshAfterWriteClicked();
    void ResetBridge();
    void ExpandAll();
    void CollapseAll();
    void ShowInterruptRouting();
    void ShowMemoryMap();
    void About();
    void WriteToFile();
    void Close();

    // Shows a function: re-reads its image and fills the identification and the dump.
    void ShowDevice(PciDevice& device);

    // The bridge reset waits 600 ms and 100 ms; tests may pass a sleep that records instead.
    void SetSleep(SleepFn sleep) { sleep_ = std::move(sleep); }

    const PciDeviceList* List() const { return list_.get(); }
    PciDevice* Current() const { return current_; }
    int SelectedLine() const { return selectedLine_; }
    int RegisterCount() const { return registerCount_; }
    bool UseBios() const { return useBios_; }
    bool RefreshAfterWrite() const { return refreshAfterWrite_; }
    int BusSel() const { return busSel_; }
    int DevSel() const { return devSel_; }
    int FuncSel() const { return funcSel_; }

  private:
    AccessMode Mode() const { return useBios_ ? AccessMode::Bios : AccessMode::Ports; }
    // Direct select at busSel/devSel/funcSel: the root entry becomes current and is shown.
    void DirectSelect();
    void FillDump(const PciDevice& device);
    // The list entry a tree item stands for; nullptr when there is none.
    PciDevice* EntryOfItem(TreeItem item);
    void Notice(const std::string& text, const char* caption = "Bexa");

    MainWindowView& view_;
    std::unique_ptr<PciDeviceList> list_;
    PciDevice* current_ = nullptr;
    int selectedLine_ = -1;
    int registerCount_ = 16;
    bool useBios_ = false;
    bool refreshAfterWrite_ = false;
    int busSel_ = 0;
    int devSel_ = 0;
    int funcSel_ = 0;
    // Set while the tree is rebuilt: selection changes reported meanwhile are not shown.
    bool rescanning_ = false;
    SleepFn sleep_ = SleepMilliseconds;
};

}  // namespace bexa
