// corvel.so loaded the way zemra loads it: every simulator entry point bound
// by name with the type zemra gives it, a program assembled by gpasm loaded
// bit by bit and run on the simulation thread to a line breakpoint and past
// the end of program memory, and the disassembler reached through the
// entry points.
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "devices/contract.h"
#include "engine/catalogue.h"
#include "engine/corvel_api.h"
#include "engine/disassembler.h"
#include "ide/main/simulator_binding.h"
#include "support/paths.h"

// corvel's header declares each entry point with exactly the type zemra
// binds it with.
#define TW_EXPECT_ZEMRA_TYPE(name, result, parameters) \
    static_assert(std::is_same_v<decltype(&::name), result(*) parameters>, #name " differs from zemra's binding");
TW_DLLMC_ENTRIES(TW_EXPECT_ZEMRA_TYPE)
#undef TW_EXPECT_ZEMRA_TYPE

namespace exports_library_test {
namespace {

using namespace std::chrono_literals;

// ---- Assembling with gpasm ----

struct Program {
    std::map<int, std::uint16_t> words; // program address -> word
    std::optional<std::uint16_t> config;
};

unsigned hexByte(const std::string& line, std::size_t at)
{
    return unsigned(std::stoul(line.substr(at, 2), nullptr, 16));
}

// gpasm's Intel HEX (INHX8M): little-endian words at twice their address;
// the configuration word stands at word address 0xFFF.
Program readHex(const std::string& text)
{
    Program program;
    std::map<unsigned, unsigned> bytes;
    unsigned base = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 11 || line[0] != ':')
            continue;
        const unsigned count = hexByte(line, 1);
        const unsigned address = hexByte(line, 3) << 8 | hexByte(line, 5);
        const unsigned type = hexByte(line, 7);
        if (type == 4)
            base = (hexByte(line, 9) << 8 | hexByte(line, 11)) << 16;
        if (type != 0)
            continue;
        for (unsigned i = 0; i < count; ++i)
            bytes[base + address + i] = hexByte(line, 9 + 2 * i);
    }
    for (const auto& [address, low] : bytes) {
        if (address % 2 != 0)
            continue;
        const std::uint16_t word = std::uint16_t(low | bytes[address + 1] << 8);
        if (address / 2 == 0xFFF)
            program.config = word;
        else
            program.words[int(address / 2)] = word;
    }
    return program;
}

std::optional<Program> assemble(const std::string& processor, const std::string& source)
{
    const QString gpasm = QStandardPaths::findExecutable(QStringLiteral("gpasm"));
    QTemporaryDir folder;
    if (gpasm.isEmpty() || !folder.isValid())
        return std::nullopt;
    QFile file(folder.filePath(QStringLiteral("program.asm")));
    if (!file.open(QIODevice::WriteOnly))
        return std::nullopt;
    file.write(QByteArray::fromStdString(source));
    file.close();
    QProcess process;
    process.setWorkingDirectory(folder.path());
    process.start(gpasm, {QStringLiteral("-p"), QString::fromStdString(processor), QStringLiteral("program.asm")});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << "gpasm failed: " << process.readAllStandardOutput().toStdString();
        return std::nullopt;
    }
    QFile hex(folder.filePath(QStringLiteral("program.hex")));
    if (!hex.open(QIODevice::ReadOnly))
        return std::nullopt;
    return readHex(hex.readAll().toStdString());
}

// ---- corvel.so ----

// The stop routine: the engine calls it on its own thread; like zemra's it
// only clears the running flag.
std::atomic<int> stopCalls{0};
void (*setRunning)(std::uint8_t) = nullptr;
void CountStop()
{
    ++stopCalls;
    setRunning(0);
}

// Waits until `done` holds; false after a generous bound, so a run that
// never gets there fails instead of hanging the suite.
bool WaitFor(const std::function<bool()>& done)
{
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class CorvelSo : public testing::Test {
protected:
    void SetUp() override
    {
        handle = dlopen((twtest::binDir() / "corvel.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
#define TW_BIND_ENTRY(name, result, parameters)                                    \
    api.name = reinterpret_cast<result(*) parameters>(dlsym(handle, #name)); \
    if (!api.name)                                                                  \
        missing.push_back(#name);
        TW_DLLMC_ENTRIES(TW_BIND_ENTRY)
#undef TW_BIND_ENTRY
        ASSERT_TRUE(missing.empty()) << "corvel.so lacks " << missing.front() << " and " << missing.size() - 1
                                     << " more";
        getDevice = reinterpret_cast<TDevice* (*)(TWindowHandle)>(dlsym(handle, "Get_Device_class"));
        ASSERT_NE(getDevice, nullptr);
        setRunning = api.Set_rtRunning;
        stopCalls = 0;
    }

    void TearDown() override
    {
        if (api.Stop_and_wait)
            api.Stop_and_wait();
        delete device;
        if (handle)
            dlclose(handle);
    }

    void selectAndPlace(int model)
    {
        api.SelectMC(std::uint8_t(model));
        device = getDevice(nullptr);
        ASSERT_NE(device, nullptr);
    }

    void setWord(int address, std::uint16_t word)
    {
        for (int bit = 0; bit < 12; ++bit)
            api.Set_ROM(address, bit, (word >> bit) & 1);
    }

    // Every word erased, then the program's words and configuration bit by
    // bit, as the assembler and the HEX import hand them over.
    void load(const Program& program)
    {
        for (int address = 0; address < api.Get_ROM_Size(); ++address)
            setWord(address, 0);
        for (const auto& [address, word] : program.words)
            setWord(address, word);
        if (program.config)
            for (int bit = 0; bit < 12; ++bit)
                api.Set_config(bit, (*program.config >> bit) & 1);
    }

    std::uint16_t word(int address)
    {
        std::uint16_t value = 0;
        for (int bit = 0; bit < 12; ++bit)
            value |= std::uint16_t(api.Get_ROM(address, bit) << bit);
        return value;
    }

    int reg(int index)
    {
        int value = 0;
        for (int bit = 0; bit < 8; ++bit)
            value |= api.Get_RAM(index, bit) << bit;
        return value;
    }

    static std::uint32_t valueOf(const TResStack& bits)
    {
        std::uint32_t value = 0;
        for (std::int32_t bit = 0; bit < bits.length(); ++bit)
            value |= std::uint32_t(bits[bit]) << bit;
        return value;
    }

    // The bits as a number; the length must be the counter's width.
    std::uint32_t pc()
    {
        TResStack bits;
        api.Get_PC(&bits);
        EXPECT_EQ(bits.length(), api.Get_PC_Len());
        const std::uint32_t value = valueOf(bits);
        bits.release();
        return value;
    }

    std::uint32_t stackLevel(std::uint8_t level)
    {
        TResStack bits;
        api.Get_stack(&bits, level);
        EXPECT_EQ(bits.length(), api.Get_PC_Len());
        const std::uint32_t value = valueOf(bits);
        bits.release();
        return value;
    }

    std::string instruction()
    {
        TShortString text = TShortString::from("before");
        api.GetInstruction(&text);
        return text.toStdString();
    }

    void* handle = nullptr;
    TDllMCEntries api;
    std::vector<std::string> missing;
    TDevice* (*getDevice)(TWindowHandle) = nullptr;
    TDevice* device = nullptr;
};

// Two calls deep to a line breakpoint, then on past the last word. Every
// count below was checked against gpsim, which executes the MOVLW at 01h in
// cycle 31 counted from 0.
constexpr const char* kProgram = R"(
        processor p12f508
        include <p12f508.inc>
        __config _WDT_OFF & _CP_OFF & _MCLRE_OFF & _IntRC_OSC
        org 0
        goto start          ; 000
inner:  movlw 0x77          ; 001
        nop                 ; 002  line breakpoint
        retlw 0x55          ; 003
outer:  call inner          ; 004
        movwf 0x14          ; 005
        retlw 0x66          ; 006
start:  movlw 0x2A          ; 007
        movwf 0x10
        clrf 0x11
        movlw 5
        movwf 0x12          ; 00B
loop:   incf 0x11, f        ; 00C
        decfsz 0x12, f
        goto loop
        call outer          ; 00F
        movwf 0x13          ; 010
        movlw 0x99          ; 011
        end
)";

TEST_F(CorvelSo, RunsAnAssembledProgramToABreakpointAndPastTheEnd)
{
    const std::optional<Program> program = assemble("p12f508", kProgram);
    ASSERT_TRUE(program) << "gpasm (Debian package gputils) is needed; tools/tarnwick.sh installs it";
    ASSERT_TRUE(program->config);
    selectAndPlace(corvel::kPic12F508);
    ASSERT_EQ(api.Get_ROM_Size(), 512);
    ASSERT_EQ(api.Get_PC_Len(), 10);
    load(*program);
    for (int bit = 0; bit < 12; ++bit)
        EXPECT_EQ(api.Get_config(bit), (*program->config >> bit) & 1) << "configuration bit " << bit;
    EXPECT_EQ(word(0x002), 0x000);
    EXPECT_EQ(word(0x00F), 0x904);

    api.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    api.Set_ROM_BP(0x002, 1);
    api.Calculate_CuclPerCycMK(CountStop);
    ASSERT_TRUE(WaitFor([&] { return api.Get_rtPause() == 1; })) << "no pause at the breakpoint";

    // The first word executed is the last one (a NOP here), then 000 onwards;
    // the loop runs five times, the last DECFSZ skipping.
    EXPECT_EQ(api.Get_rtRunning(), 1);
    EXPECT_EQ(api.Get_I(), 0x002);
    EXPECT_EQ(pc(), 0x002u);
    EXPECT_EQ(api.Get_IC(), 24);
    EXPECT_EQ(api.Get_MC(), 32);
    EXPECT_EQ(reg(256), 0x77) << "W";
    EXPECT_EQ(reg(0x10), 0x2A);
    EXPECT_EQ(reg(0x11), 5);
    EXPECT_EQ(reg(0x12), 0);
    EXPECT_EQ(api.Get_StackCounter(), 2);
    EXPECT_EQ(stackLevel(0), 0x005u);
    EXPECT_EQ(stackLevel(1), 0x010u);
    api.CurrentToParCommand();
    EXPECT_EQ(instruction(), "MOVLW 77h");

    // Resuming executes the marked word without stopping there again.
    api.Set_rtPause(0);
    ASSERT_TRUE(WaitFor([&] { return api.Get_rtRunning() == 0; })) << "the run did not end";
    api.Stop_and_wait();
    EXPECT_EQ(stopCalls, 1);
    EXPECT_EQ(api.Get_rtPause(), 0);
    // Past the last word a second time: the reset address again, all ones
    // in the program counter. Words 012..1FF are NOPs.
    EXPECT_EQ(api.Get_I(), 0x1FF);
    EXPECT_EQ(pc(), 0x3FFu);
    EXPECT_EQ(api.Get_IC(), 24 + 6 + 494);
    EXPECT_EQ(api.Get_MC(), 32 + 8 + 494);
    EXPECT_EQ(reg(256), 0x99) << "W";
    EXPECT_EQ(reg(0x13), 0x66);
    EXPECT_EQ(reg(0x14), 0x55);
    EXPECT_EQ(api.Get_StackCounter(), 0);
    // A return copies the bottom level up rather than clearing it.
    EXPECT_EQ(stackLevel(0), 0x010u);
    EXPECT_EQ(stackLevel(1), 0x010u);
}

// The pure disassembler agrees with gpdasm on every word
// (disassembler_gpdasm_test.cpp); the entry points must give its texts and
// targets for words staged from program memory.
TEST_F(CorvelSo, DisassemblesEveryWordAsThePureFunctionDoes)
{
    selectAndPlace(corvel::kPic16F57);
    api.RomToParCommand(0);
    std::int32_t target = api.Get_parGOTOaddr();
    int mismatches = 0;
    for (int value = 0; value < 4096; ++value) {
        const int address = value % api.Get_ROM_Size();
        setWord(address, std::uint16_t(value));
        api.RomToParCommand(address);
        const std::string text = instruction();
        const corvel::Disassembly expected = corvel::disassemble(std::uint16_t(value));
        // Other words leave the target of the last GOTO or CALL.
        target = expected.jumpTarget.value_or(target);
        if (text == expected.text && api.Get_parGOTOaddr() == target)
            continue;
        if (++mismatches <= 20)
            ADD_FAILURE() << "word 0x" << std::hex << value << std::dec << ": \"" << text << "\" target "
                          << api.Get_parGOTOaddr() << ", expected \"" << expected.text << "\" target " << target;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(CorvelSo, NamesTheFamilyAndTheMnemonicsInDecoderOrder)
{
    selectAndPlace(corvel::kPic10F200);
    EXPECT_EQ(std::u16string(api.Get_family_mc()), u"Microchip PIC Baseline");
    ASSERT_EQ(api.Get_SystemCommandCounter(), 33);
    for (int index = 0; index < 33; ++index) {
        TShortString name;
        api.Get_SystemCommand_CommandName(&name, index);
        EXPECT_EQ(name.view(), corvel::mnemonicNames[std::size_t(index)]) << "mnemonic " << index;
    }
}

} // namespace

} // namespace exports_library_test
