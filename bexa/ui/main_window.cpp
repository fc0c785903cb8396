#include "main_window.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "bexa_resource.h"
#include "config_access.h"
#include "hex_field.h"
#include "id_database.h"
#include "listing_dialog.h"
#include "machine_source.h"
#include "output_file.h"
#include "text_format.h"

namespace bexa {

namespace {

constexpr const char* kProbeQuestion =
    "\nAre you ready to perform\n BAR read-write(0xffffffff)-read-restore ?\n\nIf not: a "
    "BARrange of 1MByte is assumed\n";
constexpr uint32_t kAssumedBarMask = 0xFFF00000u;

// Whether dump line `line` holds the upper 32 bits of a 64-bit memory BAR (memory type 10b)
// on the line below it. The BARs are walked from the first, as each 64-bit BAR takes two
// registers: its upper half is no BAR of its own and has no size mask to probe.
bool IsUpperHalfOfWideBar(const PciDevice& device, int line) {
    for (int i = 4; i < line; ++i) {
        const uint32_t value = device.image[size_t(i)];
        if ((value & 1u) != 0 || ((value >> 1) & 3u) != 2) continue;
        if (i + 1 == line) return true;
        ++i;
    }
    return false;
}

// The address bits of a BAR size probe: the type bits (I/O: 1-0, memory: 3-0) cleared.
uint32_t ProbeAddressBits(uint32_t mask) {
    return mask & ((mask & 1) ? ~0x3u : ~0xFu);
}

}  // namespace

uint32_t ParseHexValue(const std::string& text) {
    uint32_t value = 0;
    if (!text.empty() && text[0] == 'x' && ScanHex(text.c_str() + 1, value)) return value;
    if (ScanHex(text.c_str(), value)) return value;
    return 0;
}

MainWindow::MainWindow(MainWindowView& view) : view_(view) {}

MainWindow::~MainWindow() = default;

bool MainWindow::Initialise() {
    view_.AddAboutToSystemMenu();
    if (!view_.RunDriverCheck()) {
        view_.Close();
        return false;
    }
    view_.PrepareControls();
    list_.reset();
    current_ = nullptr;
    registerCount_ = 16;
    view_.SetCheck(IDC_COUNT_16, true);
    view_.SetCheck(IDC_COUNT_64, false);
    // The listing and the BAR window's saved images must not replace the ID file read here,
    // the program's one input file.
    outfile::ClearProtectedInputs();
    if (LoadIdFile() == InputFileStatus::Opened) {
        outfile::ProtectInput(outfile::PathFromNarrow("pcidevs.txt"));
    }
    // A machine that is not this computer's hardware is named in the caption; one that could
    // not be used is reported before the scan shows an empty bus.
    const MachineSource source = QueryMachineSource();
    view_.SetCaption(WindowCaption(source));
    if (!source.error.empty()) Notice("no machine to reach: " + source.error);
    Rescan();
    view_.SetCounterRanges();
    return true;
}

void MainWindow::Rescan() {
    rescanning_ = true;
    view_.Tree().DeleteAllItems();
    current_ = nullptr;
    list_.reset();
    list_ = BuildDeviceList(view_.Tree(), Mode(), registerCount_);
    rescanning_ = false;
    DirectSelect();
    view_.ScrollTreeTo(view_.Tree().FirstItem());
    view_.SetControlText(IDC_HIGHEST_BUS, FormatText("highest busnr: %2d", list_->highestBus));
    selectedLine_ = -1;
    if (list_->dropped > 0) {
        Notice(FormatText("more than %d functions; %d not listed", PciDeviceList::kMaxEntries,
                          list_->dropped));
    }
}

void MainWindow::ShowDevice(PciDevice& device) {
    device.mode = Mode();
    device.ReloadDevice(device.bus, device.devfn, registerCount_);

    view_.SetControlText(IDC_SHEET_TITLE,
                         FormatText(" %d.%d.%d", device.bus, device.Device(), device.Function()));
    view_.SetControlText(IDC_BUS_SEL, FormatText("%d", busSel_));
    view_.SetControlText(IDC_DEVICE_SEL, FormatText("%d", devSel_));
    view_.SetControlText(IDC_FUNCTION_SEL, FormatText("%d", funcSel_));

    view_.SetControlText(
        IDC_VENDOR, FormatText("VID: x%04X %s", device.VendorId(), device.VendorName().c_str()));
    view_.SetControlText(
        IDC_DEVICE, FormatText("DID: x%04X %s %s", device.DeviceId(), device.DeviceName().c_str(),
                               device.DeviceDescription().c_str()));
    if (device.IsPciBridge()) {
        view_.SetControlText(IDC_SUB_ID,
                             FormatText(" PPB: %d -> %d (%d)", device.PrimaryBus(),
                                        device.SecondaryBus(), device.SubordinateBus()));
        view_.SetControlText(IDC_SUB_VENDOR, "");
    } else {
        view_.SetControlText(IDC_SUB_VENDOR,
                             FormatText("SubVID: x%04X %s", device.SubsystemVendorId(),
                                        device.SubsystemVendorName().c_str()));
        view_.SetControlText(IDC_SUB_ID, FormatText("SubID:  x%04X %s", device.SubsystemId(),
                                                    device.SubsystemName().c_str()));
    }
    if (device.InterruptPin() != 0) {
        view_.SetControlText(IDC_INT_PIN, FormatText("x%X<-INT%X#", device.InterruptLine(),
                                                     device.InterruptPin() + 9));
    } else {
        view_.SetControlText(IDC_INT_PIN, "no INT");
    }
    view_.SetControlText(IDC_REVISION, FormatText("rev.: x%02X", device.Revision()));
    view_.SetControlText(IDC_CLASS, device.ClassText());
    view_.SetControlText(IDC_DUMP_TITLE,
                         FormatText("Config Space Dump: (type %d xs)", int(device.mode)));
    FillDump(device);
    view_.SetControlText(IDC_REGISTER_ECHO, "");
    view_.SetControlText(IDC_WRITE_VALUE, "");
    selectedLine_ = -1;
}

void MainWindow::FillDump(const PciDevice& device) {
    std::vector<std::string> lines;
    lines.reserve(size_t(registerCount_));
    for (int i = 0; i < registerCount_; ++i)
        lines.push_back(device.RegisterDumpLine(i));
    view_.SetDumpLines(lines);
}

PciDevice* MainWindow::EntryOfItem(TreeItem item) {
    if (!list_ || item == kNoTreeItem) return nullptr;
    const intptr_t index = view_.Tree().ItemData(item);
    if (index < 0 || index >= list_->Count()) return nullptr;
    return &list_->Entry(int(index));
}

void MainWindow::TreeSelectionChanged(TreeItem item) {
    if (rescanning_) return;
    PciDevice* entry = EntryOfItem(item);
    if (entry == nullptr) return;
    current_ = entry;
    busSel_ = entry->bus;
    devSel_ = entry->Device();
    funcSel_ = entry->Function();
    ShowDevice(*entry);
}

void MainWindow::StepCounter(AddressCounter counter, int delta) {
    auto wrap = [delta](int value, int modulus) {
        return ((value + delta) % modulus + modulus) % modulus;
    };
    switch (counter) {
        case AddressCounter::Bus:
            busSel_ = wrap(busSel_, 256);
            view_.SetControlText(IDC_BUS_SEL, FormatText("%d", busSel_));
            break;
        case AddressCounter::Device:
            devSel_ = wrap(devSel_, 32);
            view_.SetControlText(IDC_DEVICE_SEL, FormatText("%d", devSel_));
            break;
        case AddressCounter::Function:
            funcSel_ = wrap(funcSel_, 8);
            view_.SetControlText(IDC_FUNCTION_SEL, FormatText("%d", funcSel_));
            break;
    }
    DirectSelect();
}

void MainWindow::DirectSelect() {
    if (!list_) return;
    const uint8_t bus = uint8_t(busSel_);
    const uint8_t devfn = uint8_t(devSel_ * 8 + funcSel_);
    PciDevice& root = list_->root;
    root.ReloadDevice(bus, devfn, registerCount_);
    current_ = &root;
    view_.SelectTreeItem(kNoTreeItem);
    for (int i = 0; i < list_->Count(); ++i) {
        const PciDevice& entry = list_->Entry(i);
        if (entry.bus == bus && entry.devfn == devfn && entry.treeItem != kNoTreeItem) {
            view_.SelectTreeItem(entry.treeItem);
        }
    }
    ShowDevice(root);
}

void MainWindow::RefreshDump() {
    if (current_ != nullptr) ShowDevice(*current_);
}

void MainWindow::DumpLineSelected(int index) {
    if (current_ == nullptr || index < 0 || index >= registerCount_) return;
    selectedLine_ = index;
    view_.SetControlText(IDC_WRITE_VALUE, FormatText("x%08X", current_->image[size_t(index)]));
    view_.SetControlText(IDC_REGISTER_ECHO, "");
}

void MainWindow::WriteConfReg() {
    if (selectedLine_ == -1 || current_ == nullptr) return;
    const uint32_t value = ParseHexValue(view_.ControlText(IDC_WRITE_VALUE));
    view_.SetControlText(IDC_REGISTER_ECHO, FormatText("x%08X", value));
    PciDevice& dev = *current_;
    WriteConfigDword(dev.mode, dev.bus, dev.Device(), dev.Function(), uint8_t(selectedLine_),
                     value);
    if (refreshAfterWrite_) {
        dev.ReloadDevice(dev.bus, dev.devfn, registerCount_);
        FillDump(dev);
        view_.SelectDumpLine(selectedLine_);
    }
}

void MainWindow::SetRegisterCount(int count) {
    registerCount_ = count == 64 ? 64 : 16;
}

void MainWindow::UseBiosClicked() {
    if ((view_.OsVersionWord() & 0x80000000u) == 0) {
        view_.SetCheck(IDC_USE_BIOS, false);
        Notice("Win NT does not support user interrupts");
    }
    useBios_ = view_.IsChecked(IDC_USE_BIOS);
    if (list_) list_->mode = Mode();
}

void MainWindow::RefreshAfterWriteClicked() {
    refreshAfterWrite_ = view_.IsChecked(IDC_REFRESH_AFTER_WRITE);
}

void MainWindow::DumpLineDoubleClicked(int index) {
    if (current_ == nullptr) return;
    const int lastBar = current_->IsPciBridge() ? 5 : 9;
    if (index < 4 || index > lastBar) {
        Notice("no BAR selected");
        return;
    }
    if (IsUpperHalfOfWideBar(*current_, index)) {
        Notice(
            FormatText("\nregister %d holds the upper 32 bits of the 64-bit memory BAR\n"
                       "in register %d: probe register %d instead\n",
                       index, index - 1, index - 1));
        return;
    }
    const MessageAnswer answer = view_.ShowMessage(kProbeQuestion, "Bexa", MessageIcon::Question,
                                                   MessageButtons::YesNoCancel);
    if (answer == MessageAnswer::Cancel) return;
    uint32_t saved = 0;
    uint32_t mask = 0;
    PciDevice& dev = *current_;
    const uint8_t reg = uint8_t(index);
    if (answer == MessageAnswer::Yes) {
        // A register that cannot be read cannot be restored: then nothing is written.
        if (ReadConfigDword(dev.mode, dev.bus, dev.Device(), dev.Function(), reg, saved) != 1) {
            WriteConfigDword(dev.mode, dev.bus, dev.Device(), dev.Function(), reg, 0xFFFFFFFFu);
            ReadConfigDword(dev.mode, dev.bus, dev.Device(), dev.Function(), reg, mask);
            WriteConfigDword(dev.mode, dev.bus, dev.Device(), dev.Function(), reg, saved);
        }
        if (ProbeAddressBits(mask) == 0) {
            Notice("selected BAR is not implemented");
            return;
        }
    } else {
        saved = dev.image[size_t(index)];
        mask = kAssumedBarMask;
    }
    view_.OpenBarSpaceWindow(saved, mask);
}

void MainWindow::ResetBridge() {
    const TreeItem item = view_.SelectedTreeItem();
    if (item == kNoTreeItem) return;
    PciDevice* bridge = EntryOfItem(item);
    if (bridge == nullptr || !bridge->IsPciBridge()) {
        Notice("\nplease select a PCI to PCI bridge\n to perform a reset\n", "reset");
        return;
    }
    const int secondary = bridge->SecondaryBus();
    const int subordinate = bridge->SubordinateBus();
    std::vector<PciDevice*> affected;
    for (int i = 0; i < list_->Count(); ++i) {
        PciDevice& entry = list_->Entry(i);
        if (entry.bus >= secondary && entry.bus <= subordinate) affected.push_back(&entry);
    }
    std::string question =
        "\ndo you really want to\n reset the bridge's \nsecondary PCIbus ??\n"
        "\nthe following devices are going to be reset:\n";
    for (const PciDevice* entry : affected) {
        question += FormatText("   (%d.%d.%d) %04X.%04X\n", entry->bus, entry->Device(),
                               entry->Function(), entry->DeviceId(), entry->VendorId());
    }
    if (view_.ShowMessage(question, "reset", MessageIcon::Question, MessageButtons::OkCancel) !=
        MessageAnswer::Ok) {
        return;
    }
    const MessageAnswer reread =
        view_.ShowMessage("\ndo you want to reread the current content\nof those PCI devices?\n",
                          "reset", MessageIcon::Question, MessageButtons::YesNoCancel);
    if (reread == MessageAnswer::Cancel) return;
    if (reread == MessageAnswer::Yes) {
        for (PciDevice* entry : affected)
            entry->ReloadDevice(entry->bus, entry->devfn, 16);
    }
    bridge->ResetSecondaryBus(bridge->bus, bridge->devfn, sleep_);
    for (PciDevice* entry : affected) {
        WriteConfigBlock(*entry, entry->bus, entry->devfn, 16);
        if (entry->IsPciBridge()) entry->ClearSecondaryMasterAbort(bridge->bus, bridge->devfn);
    }
    Notice("\nrestore done\n", "reset");
}

void MainWindow::ExpandAll() {
    if (!list_) return;
    for (int i = 0; i < list_->Count(); ++i)
        view_.Tree().Expand(list_->Entry(i).treeItem);
}

void MainWindow::CollapseAll() {
    if (!list_) return;
    for (int i = 0; i < list_->Count(); ++i)
        view_.Tree().Collapse(list_->Entry(i).treeItem);
}

void MainWindow::ShowInterruptRouting() {
    if (list_) view_.OpenInterruptRoutingWindow(*list_);
}

void MainWindow::ShowMemoryMap() {
    if (list_) view_.OpenMemoryMapWindow(*list_);
}

void MainWindow::About() {
    view_.OpenAboutWindow();
}

void MainWindow::WriteToFile() {
    if (list_) RunListingDialog(view_, *list_, registerCount_);
}

void MainWindow::Close() {
    FreeIdFile();
    current_ = nullptr;
    list_.reset();
    view_.Close();
}

void MainWindow::Notice(const std::string& text, const char* caption) {
    view_.ShowMessage(text, caption, MessageIcon::Exclamation, MessageButtons::Ok);
}

}  // namespace bexa
