// corvel in the configuration the program runs it in: the chip device placed,
// one node per chip pin holding that pin (as the device host creates them),
// a line breakpoint and a register breakpoint armed that the program never
// reaches. Runs a program through corvel.so's exports, as the main program
// does, and prints one line.
//
//   real_config_bench CORVEL_SO PROGRAM_HEX MODEL fastest INSTRUCTIONS LINE_BP REGISTER_BP [unwired]
//       -> "instructions cycles seconds" at the fastest rate
//   real_config_bench CORVEL_SO PROGRAM_HEX MODEL realtime FACTOR SECONDS
//       -> "simulated_seconds wall_seconds cpu_seconds" at Real Time (1) or X2 (2),
//          measured after a settling half second
//
// "unwired" leaves the pins without nodes, for comparison.
#include <dlfcn.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "devices/contract.h"
#include "engine/corvel_api.h"

namespace {

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double processSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// gpasm's INHX8M: little-endian words at twice their address, the
// configuration word at word address 0xFFF.
bool readHex(const char* path, std::vector<unsigned>& memory, int& config)
{
    std::ifstream file(path);
    if (!file)
        return false;
    const auto byteAt = [](const std::string& line, std::size_t at) {
        return unsigned(std::stoul(line.substr(at, 2), nullptr, 16));
    };
    std::vector<int> bytes(0x10000, -1);
    std::string line;
    while (std::getline(file, line)) {
        if (line.size() < 11 || line[0] != ':' || byteAt(line, 7) != 0)
            continue;
        const unsigned count = byteAt(line, 1);
        const unsigned address = byteAt(line, 3) << 8 | byteAt(line, 5);
        if (line.size() < 11 + 2 * count)
            continue;
        for (unsigned i = 0; i < count && address + i < bytes.size(); ++i)
            bytes[address + i] = int(byteAt(line, 9 + 2 * i));
    }
    config = -1;
    for (std::size_t address = 0; address + 1 < bytes.size(); address += 2) {
        if (bytes[address] < 0)
            continue;
        const unsigned word = unsigned(bytes[address]) | unsigned(std::max(bytes[address + 1], 0)) << 8;
        if (address / 2 == 0xFFF)
            config = int(word);
        else if (address / 2 < memory.size())
            memory[address / 2] = word;
    }
    return true;
}

void onStop() {}

#define BIND(name)                                                                   \
    const auto p_##name = reinterpret_cast<decltype(&name)>(dlsym(library, #name)); \
    if (!p_##name) {                                                                 \
        std::fprintf(stderr, "corvel lacks %s\n", #name);                            \
        return 1;                                                                    \
    }

} // namespace

int main(int argc, char** argv)
{
    const bool fastest = argc >= 8 && std::strcmp(argv[4], "fastest") == 0;
    const bool realTime = argc == 7 && std::strcmp(argv[4], "realtime") == 0;
    if (!fastest && !realTime) {
        std::fprintf(stderr,
                     "usage: %s CORVEL_SO PROGRAM_HEX MODEL fastest INSTRUCTIONS LINE_BP REGISTER_BP [unwired]\n"
                     "       %s CORVEL_SO PROGRAM_HEX MODEL realtime FACTOR SECONDS\n",
                     argv[0], argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    const TEntryPoints device = bindEntryPoints(library);
    if (!device.complete()) {
        std::fprintf(stderr, "corvel lacks a device library entry point\n");
        return 1;
    }
    BIND(SelectMC)
    BIND(Get_ROM_Size)
    BIND(Set_ROM)
    BIND(Set_config)
    BIND(Set_ROM_BP)
    BIND(Set_MatrixRAM_BreakPoint)
    BIND(Set_RT_parametrs)
    BIND(Calculate_CuclPerCycMK)
    BIND(Get_IC)
    BIND(Get_MC)
    BIND(Get_rtPause)
    BIND(Get_rtCrystalFreq)
    BIND(Set_rtRunning)
    BIND(Stop_and_wait)

    p_SelectMC(std::uint8_t(std::atoi(argv[3])));
    // The chip device and its nodes as the host makes them: one node per
    // pin, holding that pin. They stay to the end of the process.
    TDevice* chip = device.Get_Device_class(nullptr);
    if (!chip) {
        std::fprintf(stderr, "no chip device\n");
        return 1;
    }
    const bool unwired = fastest && argc == 9 && std::strcmp(argv[8], "unwired") == 0;
    if (!unwired) {
        for (TRCPort* pin : chip->Port) {
            auto* node = new TNode;
            node->Ports.resize(1);
            node->Ports[0] = pin;
            pin->Node = node;
        }
    }

    std::vector<unsigned> memory(std::size_t(p_Get_ROM_Size()), 0);
    int config = -1;
    if (!readHex(argv[2], memory, config)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    for (std::size_t address = 0; address < memory.size(); ++address)
        for (int bit = 0; bit < 12; ++bit)
            p_Set_ROM(std::int32_t(address), bit, std::uint8_t(memory[address] >> bit & 1));
    if (config >= 0)
        for (int bit = 0; bit < 12; ++bit)
            p_Set_config(bit, std::uint8_t(config >> bit & 1));

    if (fastest) {
        const long long target = std::atoll(argv[5]);
        p_Set_ROM_BP(std::int32_t(std::strtol(argv[6], nullptr, 0)), 1);
        p_Set_MatrixRAM_BreakPoint(std::int32_t(std::strtol(argv[7], nullptr, 0)), 1);
        p_Set_RT_parametrs(0, 0, 0, 0, 1.0);
        const double start = now();
        p_Calculate_CuclPerCycMK(onStop);
        while (p_Get_IC() < target) {
            if (p_Get_rtPause()) {
                std::fprintf(stderr, "a breakpoint was hit after %lld instructions\n", (long long)p_Get_IC());
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        p_Set_rtRunning(0);
        p_Stop_and_wait();
        const double seconds = now() - start;
        std::printf("%lld %lld %.6f\n", (long long)p_Get_IC(), (long long)p_Get_MC(), seconds);
        return 0;
    }

    const double factor = std::atof(argv[5]);
    const double seconds = std::atof(argv[6]);
    p_Set_RT_parametrs(1, 0, 0, 1000, factor);
    p_Calculate_CuclPerCycMK(onStop);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double cyclesPerSecond = p_Get_rtCrystalFreq() / 4.0;
    const double wall0 = now();
    const double cpu0 = processSeconds();
    const long long cycles0 = p_Get_MC();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long long cycles1 = p_Get_MC();
    const double cpu1 = processSeconds();
    const double wall1 = now();
    p_Set_rtRunning(0);
    p_Stop_and_wait();
    std::printf("%.6f %.6f %.6f\n", double(cycles1 - cycles0) / cyclesPerSecond, wall1 - wall0, cpu1 - cpu0);
    return 0;
}
