#include "cli_options.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cwctype>
#include <filesystem>

#include "bk_paths.h"
#include "block_sizes.h"
#include "ini_file.h"
#include "ini_search.h"
#include "product_profile.h"
#include "request_queue.h"
#include "test_settings.h"

namespace kadra {

namespace {

bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string* value,
               std::string* error) {
    if (i + 1 >= args.size()) {
        *error = "option " + args[i] + " needs a value";
        return false;
    }
    *value = args[++i];
    return true;
}

// A path option's value: an empty one names no file and is refused rather than ignored.
bool TakePath(const std::vector<std::string>& args, size_t& i, std::string* value,
              std::string* error) {
    if (!TakeValue(args, i, value, error)) return false;
    if (!value->empty()) return true;
    *error = "option " + args[i - 1] + " needs a path, not an empty text";
    return false;
}

KText ReadInit(const wchar_t* key, const wchar_t* fallback, size_t capacity = 40) {
    return ReadIniString(L"INIT", key, fallback, testSettings.iniPath, capacity);
}

// Whether the whole text is a number of `base` (16: an optional 0x) from `low` to `high`.
bool IsNumberIn(const std::string& text, int base, uint64_t low, uint64_t high) {
    size_t i = 0;
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        i = 2;
    }
    if (i == text.size() || text.size() - i > 16) return false;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        value = value * base + digit;
        if (value > high) return false;
    }
    return value >= low;
}

// A number option's value: a message naming the option and its range when it is out of it.
bool CheckNumber(const std::string& option, const std::string& value, int base, uint64_t low,
                 uint64_t high, const char* range, std::string* error) {
    if (value.empty() || IsNumberIn(value, base, low, high)) return true;
    *error = option + " needs " + range + ", not \"" + value + "\"";
    return false;
}

bool SameText(const KText& a, const KText& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

}  // namespace

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options,
                     std::string* error) {
    CliOptions o;
    if (args.empty()) {
        *error = "no command given";
        return false;
    }
    const std::string& command = args[0];
    size_t i = 1;
    if (command == "disk") {
        o.command = CliCommand::Disk;
    } else if (command == "file") {
        o.command = CliCommand::File;
        if (args.size() < 2 || args[1].empty() || args[1].rfind("--", 0) == 0) {
            *error = "kadra file needs the path of the file to read";
            return false;
        }
        o.path = args[1];
        i = 2;
    } else if (command == "data") {
        o.command = CliCommand::Data;
    } else if (command == "--help" || command == "-h" || command == "help") {
        o.command = CliCommand::Help;
        *options = o;
        return true;
    } else {
        *error = "unknown command " + command;
        return false;
    }
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool ok = true;
        if (a == "--dir" && o.command != CliCommand::File) {
            ok = TakePath(args, i, &o.dir, error);
        } else if (a == "--size" && o.command != CliCommand::File) {
            ok = TakeValue(args, i, &o.size, error);
        } else if (a == "--description" && o.command == CliCommand::Disk) {
            ok = TakeValue(args, i, &o.description, error);
        } else if (a == "--queue") {
            ok = TakeValue(args, i, &o.queue, error);
        } else if (a == "--phys") {
            ok = TakeValue(args, i, &o.phys, error);
        } else if (a == "--product") {
            ok = TakeValue(args, i, &o.product, error);
        } else if (a == "--ini") {
            ok = TakePath(args, i, &o.ini, error);
        } else if (a == "--buffered" || a == "--unbuffered") {
            o.unbuffered = a == "--unbuffered";
        } else if (a == "--quick" || a == "--all-sizes") {
            o.quick = a == "--quick";
        } else if (a == "--power-user") {
            o.powerUser = true;
        } else if (a == "--log" || a == "--no-log") {
            o.log = a == "--log";
        } else if (a == "--graph" && o.command != CliCommand::Data) {
            ok = TakePath(args, i, &o.graphPrefix, error);
        } else if (a == "--json" && o.command != CliCommand::Data) {
            ok = TakePath(args, i, &o.json, error);
        } else if (a == "--csv" && o.command != CliCommand::Data) {
            ok = TakePath(args, i, &o.csv, error);
        } else if (a == "--buffer-per-request" && o.command != CliCommand::Data) {
            o.bufferPerRequest = true;
        } else if (a == "--quiet" || a == "-q") {
            o.quiet = true;
        } else if (a == "--help" || a == "-h") {
            o.command = CliCommand::Help;
        } else {
            *error = "unknown option " + a + " for kadra " + command;
            return false;
        }
        if (!ok) return false;
    }
    if ((o.command == CliCommand::Disk || o.command == CliCommand::Data) && o.dir.empty()) {
        *error = "kadra " + command + " needs --dir DIR";
        return false;
    }
    if (o.command == CliCommand::Help) {
        *options = o;
        return true;
    }
    if (!CheckNumber("--queue", o.queue, 10, 0, kMaxQueueLength, "a number from 0 to 39", error) ||
        !CheckNumber("--size", o.size, 10, 1, 0x7FFFFFFF, "a number of MB from 1 to 2147483647",
                     error) ||
        !CheckNumber("--phys", o.phys, 16, 0, 0xFFFFFFFF,
                     "a hexadecimal address from 0 to FFFFFFFF", error)) {
        return false;
    }
    if (o.command == CliCommand::File && FromUtf8(o.path).size() >= kTextCapacity) {
        *error = "path too long (at most " + std::to_string(kTextCapacity - 1) +
                 " characters): " + o.path;
        return false;
    }
    *options = o;
    return true;
}

std::string CliUsage() {
    return "Usage:\n"
           "  kadra disk --dir DIR [--size MB] [--description TEXT] [options]\n"
           "      linear write, linear read and random read of a temporary file in DIR\n"
           "  kadra file PATH [options]\n"
           "      linear and random read of an existing file (never written)\n"
           "  kadra data --dir DIR [--size MB] [--ini PATH]\n"
           "      writes, copies and compares two files in DIR, counting data errors\n"
           "Options (defaults from [INIT] of the first KADRA.INI of: --ini, beside the program,\n"
           "$XDG_CONFIG_HOME/kadra or ~/.config/kadra, " BK_SYSTEM_CONFIG_DIR
           "/kadra):\n"
           "  --queue N              0 = synchronous, else queued requests (at most 39)\n"
           "  --buffered, --unbuffered   system caching on or off (O_DIRECT)\n"
           "  --quick, --all-sizes   only the product's block sizes, or all eight\n"
           "  --product NAME|INDEX   the product profile that sets limits and usage\n"
           "  --phys HEX             transfer buffer in physical memory (0 = main memory)\n"
           "  --power-user           as POWERUSER=1 in the INI file\n"
           "  --ini PATH             another KADRA.INI\n"
           "  --log, --no-log        disk, file: the RTF log \"kadra TITLE.rtf\" in the INI's\n"
           "                         LogPath, else in the current folder\n"
           "  --graph PREFIX         disk, file: also each curve as PREFIX<pass> <kB> kB.png\n"
           "  --json FILE, --csv FILE   disk, file: the results for scripts (- = standard output)\n"
           "  --buffer-per-request   queued runs: every request its own buffer (as fio does)\n"
           "  --quiet, -q            no progress line on standard error\n"
           "Without the power-user setting the INI's queue length, buffer and caching give way\n"
           "to 10, main memory and no caching, as in the window program; options still apply.\n"
           "Ctrl-C, SIGTERM or SIGHUP stops a test; its files are deleted.\n"
           "Exit status: 0 done, 1 a pass failed, data errors or an output not written,\n"
           "2 not started, 130 stopped.\n";
}

bool CheckRunFolder(const std::string& dir, std::string* error) {
    std::error_code failed;
    if (std::filesystem::is_block_file(dir, failed)) {
        *error = dir +
                 " is a block device: the disk and data tests write files into a folder and "
                 "would destroy the data of a device; kadra file " +
                 dir + " measures it read-only";
        return false;
    }
    if (!std::filesystem::is_directory(dir, failed)) {
        *error = dir + ": " + (failed ? failed.message() : "not a folder");
        return false;
    }
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        *error = dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int FindProduct(const std::string& nameOrIndex) {
    if (!nameOrIndex.empty() && nameOrIndex.find_first_not_of("0123456789") == std::string::npos &&
        nameOrIndex.size() < 4) {
        int index = std::stoi(nameOrIndex);
        return index < productTable.count ? index : -1;
    }
    KText name = FromUtf8(nameOrIndex);
    for (int i = 0; i < productTable.count; ++i) {
        if (SameText(productTable.profiles[i].name, name)) return i;
    }
    return -1;
}

bool PrepareCliRun(const CliOptions& options, const KText& programFile, StartInputs* inputs,
                   std::string* error) {
    if (options.ini.empty()) {
        LoadProductProfiles(programFile);
        // Beside the program, else in the user's or the system's configuration folder.
        const KText found =
            FromUtf8(FindKadraIni(ProcessIniSearchPlaces(ToUtf8(testSettings.programFolder))));
        if (found != testSettings.iniPath) {
            testSettings.iniPath = found;
            ReadProductProfiles(testSettings.iniPath);
        }
    } else {
        testSettings.iniPath = FromUtf8(options.ini);
        testSettings.programFolder = FolderOfPath(testSettings.iniPath);
        ReadProductProfiles(testSettings.iniPath);
    }
    const KText& ini = testSettings.iniPath;
    testSettings.powerUser = static_cast<uint32_t>(ReadIniInt(L"INIT", L"POWERUSER", 0, ini));
    if (options.powerUser) testSettings.powerUser = 1;
    testSettings.notify = ReadIniInt(L"INIT", L"NOTIFY", 0, ini);
    testSettings.showTimes = ReadIniInt(L"INIT", L"SHOWTIMES", 0, ini);
    int product = ReadIniInt(L"INIT", L"PRODUCT", 0, ini);
    if (product < 0 || product >= productTable.count) product = 0;
    if (!options.product.empty()) {
        product = FindProduct(options.product);
        if (product < 0) {
            *error = "no product " + options.product + "; the profiles are:";
            for (int i = 0; i < productTable.count; ++i) {
                *error += "\n  " + std::to_string(i) + " " + ToUtf8(productTable.profiles[i].name);
            }
            return false;
        }
    }
    testSettings.productIndex = product;
    SelectProduct(product);
    if (options.quick.value_or(ReadIniInt(L"INIT", L"Quick", 1, ini) != 0)) {
        bool any = false;
        for (int k = 0; k < kBlockSizeCount; ++k)
            any = any || BlockSizeSelected(BlockSizeAt(k), true, testSettings.selectedBlockSizes);
        if (!any) {
            *error = "no block size selected: the block sizes of product " +
                     ToUtf8(productTable.profiles[product].name) +
                     " are none of 16 to 2048 kB; use --all-sizes or another --product";
            return false;
        }
    }
    testSettings.dynaMaxY = ReadIniInt(L"INIT", L"DynaMaxY", 1050, ini);
    testSettings.tempFileName = ReadInit(L"TempFile", L"KADRA.TMP", kTextCapacity);
    testSettings.unbuffered = ReadIniInt(L"INIT", L"Unbuffered", 1, ini);
    testSettings.quick = ReadIniInt(L"INIT", L"Quick", 1, ini);
    // The log as the window program writes it, into LogPath or else the current folder; the
    // curves are drawn (off screen) for the log and the PNG files.
    testSettings.logfile = options.log.value_or(ReadIniInt(L"INIT", L"Logfile", 1, ini) != 0);
    testSettings.logPath = ReadInit(L"LogPath", L"", kTextCapacity);
    if (testSettings.logPath.empty()) {
        std::error_code failed;
        testSettings.logPath = std::filesystem::current_path(failed).wstring();
    }
    if (!testSettings.logPath.empty() && testSettings.logPath.back() != kPathSeparator)
        testSettings.logPath += kPathSeparator;
    testSettings.graphEnabled = testSettings.logfile || !options.graphPrefix.empty() ? 1 : 0;
    testSettings.bufferPerRequest = options.bufferPerRequest ? 1 : 0;
    testSettings.osFamily = kOsFamilyNt;

    StartInputs in;
    in.size = ReadInit(options.command == CliCommand::Data ? L"FileSize2" : L"FileSize",
                       options.command == CliCommand::Data ? L"500" : L"100");
    in.queueLength = ReadInit(L"QLen", L"10");
    in.phys = ReadInit(L"Phys", L"0");
    in.description = ReadInit(L"Description", L"unknown", kTextCapacity);
    if (testSettings.powerUser == 0) {
        // As the window program shows them to a user who is not a power user.
        in.phys = L"0";
        in.queueLength = L"10";
        testSettings.unbuffered = 1;
    }
    if (!options.size.empty()) in.size = FromUtf8(options.size);
    if (!options.queue.empty()) in.queueLength = FromUtf8(options.queue);
    if (!options.phys.empty()) in.phys = FromUtf8(options.phys);
    if (!options.description.empty()) in.description = FromUtf8(options.description);
    if (options.unbuffered) testSettings.unbuffered = *options.unbuffered ? 1 : 0;
    if (options.quick) testSettings.quick = *options.quick ? 1 : 0;
    if (!options.dir.empty()) {
        in.rootFolder = FromUtf8(options.dir);
        if (in.rootFolder.back() != kPathSeparator) in.rootFolder += kPathSeparator;
    }
    in.fileName = FromUtf8(options.path);
    *inputs = in;
    return true;
}

std::string ResultsForTerminal(const KText& text) {
    std::string out;
    std::string utf8 = ToUtf8(text);
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        out += utf8[i];
    }
    if (out.empty() || out.back() != '\n') out += '\n';
    return out;
}

}  // namespace kadra
