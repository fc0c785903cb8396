// Fuzz target for the inputs kadra takes from users and the system: the command line
// (ParseCliOptions, FindProduct), the start fields and INI values (ReadSizeMB, ReadPhysAddress,
// ReadQueueLength, and through them the number scanner) and the mount table reader. The first
// byte picks the reader, the rest is its input; each result is checked against its rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli_options.h"
#include "product_profile.h"
#include "remote_file_system.h"
#include "request_queue.h"
#include "run_control.h"
#include "test_settings.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void FuzzCommandLine(const std::string& text) {
    // Arguments are separated by NUL bytes.
    std::vector<std::string> args;
    std::string current;
    for (char c : text) {
        if (c == '\0') {
            args.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    args.push_back(current);
    kadra::CliOptions options;
    std::string error;
    if (!kadra::ParseCliOptions(args, &options, &error)) {
        Check(!error.empty());
        return;
    }
    if (options.command == kadra::CliCommand::Help) return;
    if (!options.queue.empty()) {
        Check(options.queue.find_first_not_of("0123456789") == std::string::npos);
        Check(std::stoull(options.queue) <= kadra::kMaxQueueLength);
    }
    if (!options.product.empty()) {
        const int index = kadra::FindProduct(options.product);
        Check(index >= -1 && index < kadra::productTable.count);
    }
}

void FuzzFields(const std::string& text) {
    const kadra::KText field = kadra::FromUtf8(text);
    int64_t sizeMB = 0;
    if (kadra::ReadSizeMB(field, &sizeMB)) Check(sizeMB >= 4 && sizeMB % 2 == 0);
    uint32_t phys = 0;
    kadra::ReadPhysAddress(field, &phys);
    kadra::testSettings.queueLength = 7;
    kadra::ReadQueueLength(field);
    Check(kadra::testSettings.queueLength <= kadra::kMaxQueueLength);
}

void FuzzMountTable(const std::string& text) {
    // The first line is the path asked about, the rest the table.
    const size_t end = text.find('\n');
    const std::string path = end == std::string::npos ? text : text.substr(0, end);
    const std::string table = end == std::string::npos ? std::string() : text.substr(end + 1);
    const std::string type = kadra::MountTypeOfPath(path, table);
    Check(type.find('\n') == std::string::npos);
    kadra::IsRemoteFileSystemType(type);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const bool profiles = [] {
        kadra::ReadProductProfiles(L"/nonexistent/KADRA.INI");  // the "none" profile
        return true;
    }();
    (void)profiles;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            FuzzCommandLine(text);
            break;
        case 1:
            FuzzFields(text);
            break;
        default:
            FuzzMountTable(text);
            break;
    }
    return 0;
}
