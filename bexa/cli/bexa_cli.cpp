#include "bexa_cli.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>

#include "bexa_options.h"
#include "device_list.h"
#include "id_database.h"
#include "input_file.h"
#include "interrupt_routing.h"
#include "listing.h"
#include "memory_map.h"
#include "memory_tree.h"
#include "output_file.h"
#include "platform.h"
#include "service.h"

namespace bexa {

namespace {

const char kUsage[] =
    "usage: bexa list [--machine SOURCE] [-n 16|64] [--registers] [--ids PATH] [-o FILE]\n"
    "       bexa memmap [--io] [--machine SOURCE] [-o FILE]\n"
    "       bexa irq [--machine SOURCE] [-o FILE]\n"
    "       bexa --help\n";

const char kHelp[] =
    "Lists the PCI bus: every function reachable through configuration mechanism #1, as a\n"
    "tree under \"host CPU\", each line indented by one \":  \" per bridge above it.\n"
    "\n"
    "commands:\n"
    "  list            the device listing, as Bexa's \"write to file\" writes it\n"
    "  memmap          the memory map derived from the configuration spaces: for every 8 MByte\n"
    "                  block, the bridge windows and BARs in it (--io: the I/O BARs)\n"
    "  irq             the interrupt routing: the functions on each interrupt line 0-15\n"
    "\n"
    "options:\n"
    "  --machine SOURCE  live (this machine, through sysfs), embedded (the built-in simulated\n"
    "                    machine) or the path of an lspci -x, -xxx or -xxxx dump; without it\n"
    "                    TRAVIK_MACHINE, travik.cfg or the default machine is used\n"
    "  -n 16|64          configuration dwords read per function (default 16)\n"
    "  --io              memmap: list I/O space instead of memory space\n"
    "  --registers       follow each function's line with its register dump\n"
    "  --ids PATH        the ID file with vendor and device names (default: pcidevs.txt in\n"
    "                    the current directory, when present); a regular file of at most\n"
    "                    16 MiB\n"
    "  -o FILE           write to FILE instead of standard output\n"
    "  --stats           report functions, configuration reads and time on standard error\n"
    "  --help            show this text\n"
    "\n"
    "exit status: 0 done, 1 machine, ID file or output file failed, 2 wrong usage (an ID\n"
    "file that is a folder, a FIFO or a device too)\n";

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.resize(eq);
            }
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto flag = [&] {
            if (inlineValue) error = "option " + arg + " takes no value";
            return !inlineValue;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            if (!flag()) return false;
            options.help = true;
        } else if (arg == "--machine") {
            if (!value(v)) return false;
            options.machine = v;
        } else if (arg == "--ids") {
            if (!value(v)) return false;
            options.ids = v;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(v)) return false;
            options.output = v;
        } else if (arg == "-n") {
            if (!value(v)) return false;
            if (v != "16" && v != "64") {
                error = "-n takes 16 or 64, not \"" + v + "\"";
                return false;
            }
            options.registerCount = std::stoi(v);
        } else if (arg == "--registers") {
            if (!flag()) return false;
            options.registers = true;
        } else if (arg == "--io") {
            if (!flag()) return false;
            options.io = true;
        } else if (arg == "--stats") {
            if (!flag()) return false;
            options.stats = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            error = "unexpected argument \"" + arg + "\"";
            return false;
        }
    }
    if (options.help) return true;
    if (options.command.empty()) {
        error = "no command given";
        return false;
    }
    if (options.command != "list" && options.command != "memmap" && options.command != "irq") {
        error = "unknown command \"" + options.command + "\"";
        return false;
    }
    if (options.io && options.command != "memmap") {
        error = "--io belongs to memmap";
        return false;
    }
    return true;
}

namespace {

// Makes the machine the service reaches; false with a message on `err`.
bool SelectMachine(const Options& options, std::FILE* err) {
    if (options.machine) {
        std::string error;
        std::unique_ptr<tvk::Machine> machine = tvk::OpenMachine(*options.machine, error);
        if (!machine) {
            std::fprintf(err, "bexa: %s\n", error.c_str());
            return false;
        }
        tvk::InstallMachine(std::move(machine));
        return true;
    }
    if (!tvk::CurrentMachine()) {
        std::fprintf(err, "bexa: no machine to reach: %s\n", tvk::SelectionError().c_str());
        return false;
    }
    return true;
}

// Loads the ID file; the exit code when it must end the run, kExitOk otherwise. The default
// pcidevs.txt is optional: missing or unreadable it is passed over without a word, and taken
// by something that is not a regular file or too large with a warning.
int LoadIds(const Options& options, std::FILE* err, bool* loaded) {
    std::string reason;
    if (!options.ids) {
        const InputFileStatus status = LoadIdFile("pcidevs.txt", &reason);
        *loaded = status == InputFileStatus::Opened;
        if (status == InputFileStatus::NotRegularFile || status == InputFileStatus::TooLarge) {
            std::fprintf(err, "bexa: pcidevs.txt: %s; names from the built-in tables\n",
                         reason.c_str());
        }
        return kExitOk;
    }
    const char* path = options.ids->c_str();
    switch (LoadIdFile(path, &reason)) {
        case InputFileStatus::Opened:
            *loaded = true;
            return kExitOk;
        case InputFileStatus::CannotOpen:
            std::fprintf(err, "bexa: cannot read ID file %s: %s\n", path, reason.c_str());
            return kExitFailure;
        case InputFileStatus::NotRegularFile:
            std::fprintf(err, "bexa: %s: %s\n", path, reason.c_str());
            return kExitUsage;
        case InputFileStatus::TooLarge:
            std::fprintf(err, "bexa: ID file %s: %s\n", path, reason.c_str());
            return kExitFailure;
    }
    return kExitFailure;
}

// Writes `text` to the output file, or to `out` without one; false with a message on `err`.
// The file is replaced in one step, never written through a link or in place; a stop signal
// waits until it is in place (or the old one is kept), so no temporary file is left behind.
bool WriteOutput(const Options& options, const std::string& text, std::FILE* out, std::FILE* err) {
    if (!options.output) return WriteStandardOutput(text, out, err);
    std::string error;
    bool ok;
    {
        outfile::StopSignalsHeld held;
        ok = outfile::WriteOutputFile(outfile::PathFromNarrow(*options.output), text, &error);
    }
    if (!ok) std::fprintf(err, "bexa: %s\n", error.c_str());
    return ok;
}

// The files the run reads, which no output may replace: the machine dump and the ID file.
void ProtectInputs(const Options& options, bool idFileLoaded) {
    const std::string source =
        options.machine ? *options.machine
                        : tvk::SelectMachineSource(tvk::EnvironmentValue("TRAVIK_MACHINE"),
                                                   tvk::ProgramDirectory());
    if (!source.empty() && source != "embedded" && source != "live") {
        outfile::ProtectInput(outfile::PathFromNarrow(source));
    }
    if (idFileLoaded) {
        outfile::ProtectInput(outfile::PathFromNarrow(options.ids ? *options.ids : "pcidevs.txt"));
    }
}

}  // namespace

bool WriteStandardOutput(const std::string& text, std::FILE* out, std::FILE* err) {
    errno = 0;
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size() &&
                    std::fflush(out) == 0 && !std::ferror(out);
    if (!ok) {
        std::fprintf(err, "bexa: standard output: %s\n", std::strerror(errno != 0 ? errno : EIO));
    }
    return ok;
}

int RunBexa(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    Options options;
    std::string error;
    if (!ParseOptions(args, options, error)) {
        std::fprintf(err, "bexa: %s\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        const bool shown = WriteStandardOutput(std::string(kUsage) + "\n" + kHelp, out, err);
        return shown ? kExitOk : kExitFailure;
    }
    outfile::ClearProtectedInputs();
    if (!SelectMachine(options, err)) return kExitFailure;
    bool idFileLoaded = false;
    if (const int code = LoadIds(options, err, &idFileLoaded); code != kExitOk) return code;
    ProtectInputs(options, idFileLoaded);

    const auto start = std::chrono::steady_clock::now();
    const uint64_t readsBefore = ConfigReadCount();
    MemoryTree tree;
    std::unique_ptr<PciDeviceList> list =
        BuildDeviceList(tree, AccessMode::Ports, options.registerCount);
    std::string text;
    if (options.command == "list") {
        AppendListing(tree, *list, options.registerCount, options.registers, text);
    } else if (options.command == "memmap") {
        text = MemoryMapText(*list, options.io ? MapSpace::Io : MapSpace::Memory, "\n");
    } else {
        text = InterruptRoutingText(*list, "\n");
    }
    const bool written = WriteOutput(options, text, out, err);
    const auto elapsed = std::chrono::steady_clock::now() - start;

    if (list->dropped > 0) {
        std::fprintf(err, "bexa: more than %d functions; %d not listed\n",
                     PciDeviceList::kMaxEntries, list->dropped);
    }
    if (options.stats) {
        std::fprintf(err, "bexa: %d functions, %llu configuration reads, %.3f ms\n", list->Count(),
                     static_cast<unsigned long long>(ConfigReadCount() - readsBefore),
                     std::chrono::duration<double, std::milli>(elapsed).count());
    }
    FreeIdFile();
    return written ? kExitOk : kExitFailure;
}

}  // namespace bexa
