// Times naming 1024 PCI functions with a full ID file, as a bus listing does: vendor, short
// vendor, device name and description, subsystem vendor and subsystem, class text. Also
// times the ID file searches alone, indexed and as linear walks, on the same ids.
//
//   bexa_pciid_bench [pcidevs.txt] [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "class_names.h"
#include "id_database.h"
#include "id_file.h"

namespace {

struct Function {
    uint16_t vendor, device, subVendor, subsystem;
    uint8_t baseClass, subClass, progIf;
};

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// 1024 functions whose ids come from the list (most of them named there, at every level),
// with a quarter of arbitrary ids that miss.
std::vector<Function> MakeFunctions(const bexa::IdFileList& list) {
    std::vector<Function> named;
    uint16_t v = 0, d = 0, o = 0;
    for (const bexa::IdFileEntry& e : list.Entries()) {
        if (e.kind == 'V') v = e.id;
        if (e.kind == 'D') d = e.id;
        if (e.kind == 'O') o = e.id;
        if (e.kind == 'S') named.push_back({v, d, o, e.id, 0, 0, 0});
        if (e.kind == 'D') named.push_back({v, d, 0x1234, 0x5678, 0, 0, 0});
    }
    std::mt19937 random(1);
    std::vector<Function> functions;
    for (int i = 0; i < 1024; ++i) {
        Function f{};
        if (!named.empty() && i % 4 != 3) {
            f = named[random() % named.size()];
        } else {
            f = {static_cast<uint16_t>(random()),
                 static_cast<uint16_t>(random()),
                 static_cast<uint16_t>(random()),
                 static_cast<uint16_t>(random()),
                 0,
                 0,
                 0};
        }
        f.baseClass = static_cast<uint8_t>(random() % 0x13);
        f.subClass = static_cast<uint8_t>(random() % 8);
        f.progIf = 0;
        functions.push_back(f);
    }
    return functions;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef BEXA_FULL_PCIDEVS
    const char* path = argc > 1 ? argv[1] : BEXA_FULL_PCIDEVS;
#else
    const char* path = argc > 1 ? argv[1] : "pcidevs.txt";
#endif
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;

    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "bexa_pciid_bench: cannot open %s\n", path);
        return 1;
    }
    Clock::time_point start = Clock::now();
    const bexa::IdFileList list = bexa::IdFileList::Read(file);
    const double readMs = Milliseconds(Clock::now() - start);
    std::fclose(file);

    start = Clock::now();
    bexa::LoadIdFile(path);
    const double loadMs = Milliseconds(Clock::now() - start);
    std::printf("ID file %s: %zu entries, %zu KiB with index\n", path, list.Entries().size(),
                list.MemoryUsed() / 1024);
    std::printf("  read and index: %.2f ms (LoadIdFile %.2f ms)\n", readMs, loadMs);

    const std::vector<Function> functions = MakeFunctions(list);
    double best = 1e9, total = 0;
    std::size_t checksum = 0;
    for (int r = 0; r < rounds; ++r) {
        start = Clock::now();
        for (const Function& f : functions) {
            checksum += bexa::VendorName(f.vendor)[0];
            checksum += bexa::VendorShortName(f.vendor)[0];
            checksum += bexa::DeviceName(f.vendor, f.device)[0];
            checksum += bexa::DeviceDescription(f.vendor, f.device)[0];
            checksum += bexa::SubsystemVendorName(f.vendor, f.device, f.subVendor)[0];
            checksum += bexa::SubsystemName(f.vendor, f.device, f.subVendor, f.subsystem)[0];
            checksum +=
                bexa::ClassName(f.vendor, f.device, f.baseClass, f.subClass, f.progIf).size();
        }
        const double ms = Milliseconds(Clock::now() - start);
        best = ms < best ? ms : best;
        total += ms;
    }
    std::printf(
        "  naming 1024 functions (7 lookups each): best %.3f ms, mean %.3f ms over %d "
        "rounds (goal: under 50 ms)\n",
        best, total / rounds, rounds);

    // The file searches alone: indexed against the linear walks they replace.
    auto time = [&](bool linear) {
        start = Clock::now();
        std::size_t hits = 0;
        for (const Function& f : functions) {
            const uint16_t v = f.vendor, d = f.device, o = f.subVendor, s = f.subsystem;
            if (linear) {
                hits += list.FindVendorLinear(v) != nullptr;
                hits += list.FindDeviceLinear(v, d) != nullptr;
                hits += list.FindSubsystemVendorLinear(v, d, o) != nullptr;
                hits += list.FindSubsystemLinear(v, d, o, s) != nullptr;
            } else {
                hits += list.FindVendor(v) != nullptr;
                hits += list.FindDevice(v, d) != nullptr;
                hits += list.FindSubsystemVendor(v, d, o) != nullptr;
                hits += list.FindSubsystem(v, d, o, s) != nullptr;
            }
        }
        checksum += hits;
        return Milliseconds(Clock::now() - start);
    };
    std::printf("  file searches for 1024 functions: indexed %.3f ms, linear walks %.3f ms\n",
                time(false), time(true));
    std::printf("  (checksum %zu)\n", checksum);
    bexa::FreeIdFile();
    return 0;
}
