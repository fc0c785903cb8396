// Times full walks of buses 0-255 through ports 0xCF8/0xCFC over the simulated machine:
// the scan (one read per empty slot, 64 per function found) and the formatted dump.
//   bench_cf8_walk [SOURCE] [ROUNDS]   (SOURCE: embedded (default) or a machine file)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config_dump.h"
#include "service.h"

namespace {

int Scan() {
    int found = 0;
    for (int bus = 0; bus < 256; ++bus) {
        for (int device = 0; device < 32; ++device) {
            for (int function = 0; function < 8; ++function) {
                const uint32_t id = tvk::ReadConfigThroughPorts(uint8_t(bus), uint8_t(device),
                                                                uint8_t(function), 0);
                if ((id & 0xFFFF) == 0xFFFF) {
                    if (function == 0) break;
                    continue;
                }
                ++found;
                uint32_t header = 0;
                for (int reg = 1; reg < 64; ++reg) {
                    const uint32_t v = tvk::ReadConfigThroughPorts(uint8_t(bus), uint8_t(device),
                                                                   uint8_t(function), uint8_t(reg));
                    if (reg == 3) header = v;
                }
                if (function == 0 && !(header & 0x00800000)) break;
            }
        }
    }
    return found;
}

template <typename F>
double MedianMs(int rounds, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string source = argc > 1 ? argv[1] : "embedded";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 51;
    std::string error;
    auto machine = tvk::OpenMachine(source, error);
    if (!machine) {
        std::fprintf(stderr, "bench_cf8_walk: %s\n", error.c_str());
        return 1;
    }
    tvk::InstallMachine(std::move(machine));
    int found = 0;
    const double scan = MedianMs(rounds, [&] { found = Scan(); });
    size_t bytes = 0;
    const double dump = MedianMs(rounds, [&] { bytes = tvk::DumpConfigSpaces().size(); });
    std::printf("machine %s: %d functions\n", source.c_str(), found);
    std::printf("scan of 256 buses through CF8/CFC: %.3f ms (median of %d)\n", scan, rounds);
    std::printf("tvkdump walk with lspci -xxx text (%zu bytes): %.3f ms (median of %d)\n", bytes,
                dump, rounds);
    return 0;
}
