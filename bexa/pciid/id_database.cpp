// The lookups: each asks its sources in its own order and falls back to a fixed text.
#include "id_database.h"

#include <cstdio>
#include <optional>
#include <string>

#include "id_file.h"
#include "id_tables.h"

namespace bexa {

namespace {

std::optional<IdFileList> g_idFile;  // absent before loading, without a file and after freeing
std::string g_versionText;

const IdFileList* IdFile() {
    return g_idFile ? &*g_idFile : nullptr;
}

const VendorRow* FindVendor(uint16_t vendorId) {
    if (const VendorRow* row = FindVendorRowLinear(SupplementaryVendorTable, vendorId)) return row;
    return FindBuiltInVendor(vendorId);
}

// The supplementary table first, then the built-in one. Note the order: a key found in the
// supplementary table ends the search even when its text is empty.
const DeviceRow* FindDevice(uint16_t vendorId, uint16_t deviceId) {
    if (const DeviceRow* row = FindDeviceRowLinear(SupplementaryDeviceTable, vendorId, deviceId)) {
        return row;
    }
    return FindBuiltInDevice(vendorId, deviceId);
}

}  // namespace

const char* VendorName(uint16_t vendorId) {
    if (const IdFileList* file = IdFile()) {
        if (const IdFileEntry* entry = file->FindVendor(vendorId)) return entry->text;
    }
    if (const VendorRow* row = FindVendor(vendorId)) return row->fullName;
    return "no VID match";
}

const char* VendorShortName(uint16_t vendorId) {
    if (const VendorRow* row = FindVendor(vendorId)) return row->shortName;
    if (const IdFileList* file = IdFile()) {
        if (const IdFileEntry* entry = file->FindVendor(vendorId)) return entry->text;
    }
    return "no VID";
}

const char* DeviceName(uint16_t vendorId, uint16_t deviceId) {
    if (const IdFileList* file = IdFile()) {
        if (const IdFileEntry* entry = file->FindDevice(vendorId, deviceId)) return entry->text;
    }
    if (const DeviceRow* row = FindDevice(vendorId, deviceId)) return row->chipName;
    return "no device name found";
}

const char* DeviceDescription(uint16_t vendorId, uint16_t deviceId) {
    if (const IdFileList* file = IdFile()) {
        if (const IdFileEntry* entry = file->FindDevice(vendorId, deviceId)) return entry->text;
    }
    if (const DeviceRow* row = FindDevice(vendorId, deviceId)) return row->description;
    return "no device description found";
}

const char* SubsystemVendorName(uint16_t vendorId, uint16_t deviceId, uint16_t subVendorId) {
    if (const IdFileList* file = IdFile()) {
        if (const IdFileEntry* entry = file->FindSubsystemVendor(vendorId, deviceId, subVendorId)) {
            return entry->text;
        }
    }
    if (const VendorRow* row = FindVendor(subVendorId)) return row->shortName;
    return "no-name";
}

const char* SubsystemName(uint16_t vendorId, uint16_t deviceId, uint16_t subVendorId,
                          uint16_t subsystemId) {
    if (const IdFileList* file = IdFile()) {
        if (const IdFileEntry* entry =
                file->FindSubsystem(vendorId, deviceId, subVendorId, subsystemId)) {
            return entry->text;
        }
    }
    return "no-name";
}

InputFileStatus LoadIdFile(const char* path, std::string* reason) {
    FreeIdFile();
    g_versionText = "Version of pcidevs.txt:\n";
    // Binary mode with CR LF handled by the reader, so Linux and Windows read the same lines.
    InputFile input = OpenInputFile(path != nullptr ? path : "pcidevs.txt", kIdFileMaxBytes);
    if (input.file == nullptr) {
        g_versionText += "  no file pcidevs.txt found";
        if (reason != nullptr) *reason = input.reason;
        return input.status;
    }
    g_idFile = IdFileList::Read(input.file, &g_versionText, kIdFileMaxBytes);
    std::fclose(input.file);
    return InputFileStatus::Opened;
}

void FreeIdFile() {
    g_idFile.reset();
}

const char* IdFileVersionText() {
    return g_versionText.c_str();
}

}  // namespace bexa
