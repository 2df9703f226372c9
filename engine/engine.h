// corvel's engine: one simulated baseline microcontroller. Everything the
// simulation needs lives in one object, so two engines can run side by side.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/catalogue.h"
#include "engine/chip_link.h"
#include "engine/config_bits.h"
#include "engine/registers.h"
#include "engine/run_clock.h"
#include "engine/run_signal.h"
#include "engine/shared_value.h"

namespace corvel {

struct TConfigBits {
    std::string Name;
    int32_t DescriptionId = 0;
    int32_t No = 0;
    int32_t Value0Id = 0;
    int32_t Value1Id = 0;
};

struct TSystemCommand {
    std::string CommandName;
};

// Called on the simulation thread when the program runs past the end of
// program memory.
using StopProc = void (*)();

// Why runSynchronously returned.
enum class RunStop : uint8_t {
    PassLimit,   // the number of passes asked for has run
    Address,     // the next word to execute is the stop address
    Paused,      // rtPause is set (a line or register breakpoint, or by hand)
    EndOfMemory, // the program ran past the end of memory a second time
    FlagChanged, // a run flag or the pacing changed (the simulation thread's batches)
    NotDue,      // real-time pacing: the next instruction is not due yet
};

// The watchdog's time-out in instruction cycles at `crystalFreq` hertz.
double watchdogPeriodCycles(int32_t crystalFreq);

struct RunResult {
    RunStop stop;
    uint64_t passes; // passes run by this call
};

// The state is public: the exported entry points and the device face read and
// write it field by field. The entry points keep the names the main program
// knows and map them onto these fields. Registers, program words, the
// program counter and the stack are stored as numbers; the bit-level views
// the exports hand out are computed by the accessors below.
class Engine : public ModelTable {
public:
    Engine();
    // Ends and joins a run that is still going.
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // ---- Model selection ----

    // Selects model `model` and builds every model-dependent table. An index
    // without a catalogue entry changes nothing and returns false.
    bool SelectMC(int model);
    // Three upper-case hexadecimal digits: 31 -> "01F".
    static std::string AddressToHex3(int32_t value);
    // Entry k's SIMadress := the register shown in display row k.
    void LinkRowsToAddresses();

    // ---- Bit-level views (plain loads and stores, no side effects) ----

    bool ramBit(int index, int bit) const { return (RAM[index] >> bit) & 1; }
    void setRamBit(int index, int bit, bool value);
    bool romBit(int word, int bit) const { return (ROM[word] >> bit) & 1; }
    void setRomBit(int word, int bit, bool value);
    bool pcBit(int bit) const { return (PC >> bit) & 1; }
    bool stackBit(int level, int bit) const { return (StackBits[level] >> bit) & 1; }
    // Config[no] := value; the chip device's saved settings get '1' for 1 and
    // '0' for anything else.
    void setConfigBit(int no, uint8_t value);

    // ---- The chip device ----

    // The engine does not own the link; nullptr detaches it. Without a link
    // every pin reads undriven and unknown bits are random.
    void setChipLink(ChipLink* link)
    {
        chipLink_ = link;
        replanPeripherals();
    }
    ChipLink* chipLink() const { return chipLink_; }

    // ---- Register file as the program sees it ----
    // Bank selection through FSR, indirect access through INDF, pins read
    // from the chip device, change marks, register breakpoints and the side
    // effects of PCL, INDF, FSR, the ports, TMR0 and ADCON0. A write is
    // internal when the engine loads a register as part of its own work (the
    // low byte of a jump target, the timer update). Each call is one access of
    // its own for the change marks.

    bool ReadRegBit(int index, int bit);
    void WriteRegBit(int index, int bit, bool value, bool internal = false);
    void WriteRegByte(int index, uint8_t value, bool internal = false);
    // PC + 1 mirrored into PCL, with PCL's change marks; `I` is the caller's.
    void IncPC();

    // ---- Resets ----

    // The whole register file as a freshly powered chip has it; bits of
    // unknown power-on state take the chip device's unknown-bit choice.
    void PowerOnReset();
    // The power-on reset that applying the chip device's saved settings asks
    // for. While a run is active its thread owns the registers: the reset is
    // left to the next run's start, which powers the chip on with the new
    // settings, and the result is false. A run already told to stop is
    // joined first, and then reset.
    bool PowerOnResetUnlessRunning();
    // The registers a reset pin, a watchdog time-out or a wake-up defines.
    void ResetMC(bool byResetPin, bool byWatchdog, bool byPinChange, bool byComparatorChange);
    // What CLRWDT and SLEEP do to the watchdog and to \TO and \PD.
    void ClrWdtStatus();

    // ---- Running ----
    // The simulation thread runs passes: beginPass() checks the end of
    // memory and the line breakpoint; then the thread waits as its pacing
    // demands; finishPass() runs the peripherals and one instruction.
    // runSynchronously() runs passes without a thread or pacing, for tests
    // and benchmarks.

    // The run-start values: the reset address, counters and stack cleared.
    void startRun();
    // False when the run has ended (the stop routine has been called).
    bool beginPass();
    void finishPass();
    // Runs passes until `maxPasses` have run, rtPause is set, the next word
    // is `stopAddress` (also before the first pass) or the run ends. It
    // returns where the thread would wait: the next pass's end-of-memory
    // check and line breakpoint are done, and a later call resumes that pass
    // without checking them again.
    RunResult runSynchronously(uint64_t maxPasses, int32_t stopAddress = -1);

    // Monotonic tick count in nanoseconds, the pacing's time base.
    static int64_t ReadTSC();
    // The clock the simulation thread paces and waits by; nullptr restores
    // the steady clock. Change it only while no run goes.
    void setRunClock(RunClock* clock) { clock_ = clock ? clock : &steadyRunClock(); }
    // Real-time pacing runs every instruction that is due, then sleeps at
    // least `ticks` (a slice) before it looks at the clock again; 0 wakes
    // for each instruction at its due time. Change it only while no run goes.
    void setPacingSlice(int64_t ticks) { sliceTicks_ = ticks > 0 ? ticks : 0; }

    // ---- The simulation thread ----
    // Only one thread runs the engine: a new run first ends and joins the
    // previous one.

    // Works out the ticks per machine cycle for crystalFrequency, powers the chip
    // on and starts a run on a thread of its own. `stopProc` is called on that
    // thread when the program runs past the end of program memory, or when
    // the run fails. A clock below 4 Hz is refused: crystalFrequency returns to
    // the last one a run started with.
    void Calculate_CuclPerCycMK(StopProc stopProc);
    // Ends the run and returns once its thread has ended; harmless without a
    // run. Never call it on the simulation thread (the stop routine clears
    // rtRunning instead).
    void Stop_and_wait();
    // The pacing parameters, in effect from the thread's next wait; a pending
    // step request is dropped. A factor that is not a positive number is
    // stored as 1.0.
    void Set_RT_parametrs(uint8_t realTime, uint8_t stepByStep, uint8_t delay, int32_t delayMs, double factor);

    // ---- Register file and program memory ----
    // Shared: what the main program reads and writes while the simulation
    // thread runs (registers, program words, breakpoints, the program
    // counter, the stack, the counters and the descriptors' marks).

    std::array<Shared<uint8_t>, kRegisterCount> RAM{};
    std::vector<Edited<uint16_t>> ROM; // ROM_Size words of 12 bits
    std::vector<Edited<uint8_t>> ROM_BP; // ROM_Size + 1 line breakpoints

    // Where each program word came from in the source, one entry per word:
    // its line number (from 1) and the first and last editor item of that
    // line. The main program writes and reads them; the engine only sizes
    // them at a model selection, keeping what the common part held.
    struct SourcePositions {
        std::vector<int32_t> line;
        std::vector<int32_t> firstItem;
        std::vector<int32_t> lastItem;
    };
    SourcePositions sourcePositions;

    // ---- Model selection and sizes ----

    uint8_t TypeMC = 0;
    int32_t ROM_Size = 0;
    int32_t PC_Len = 0;
    uint16_t SFRcount = 0;
    uint16_t GPRCount = 0;
    uint8_t StackMax = 0;
    // The oscillator in hertz: 4 MHz at a model selection, then what the
    // chip device's settings and its configuration dialog give.
    int32_t crystalFrequency = 0;
    std::vector<TSystemCommand> SystemCommand;
    int32_t SystemCommandCounter = 0;

    // ---- Configuration ----

    ConfigBitArray Config; // bit 0 first; Set_config may store values other than 0 and 1
    std::vector<TConfigBits> ConfigBits;

    // ---- Program counter, stack and instruction ----

    Shared<int32_t> I = 0;    // the program-memory index that executes next
    Shared<uint32_t> PC = 0;  // the program counter as shown, PC_Len bits
    std::array<Shared<int32_t>, 2> StackAddr{};
    std::array<Shared<uint32_t>, 2> StackBits{}; // the two levels as shown, PC_Len bits each
    Shared<uint8_t> StackCounter = 0;
    Shared<uint16_t> CurrentCommand = 0;

    // The disassembler entry points' own: the word staged for translation,
    // and the target field (without the page bits) of the last GOTO or CALL
    // translated.
    struct DisassemblyStage {
        uint16_t word = 0;
        int32_t jumpTarget = 0;
    };
    DisassemblyStage disassembly;

    // ---- Counters ----

    Shared<int64_t> IC = 0;
    Shared<int64_t> MC = 0;
    // The main program's stopwatch base in seconds: its own alone, except
    // that the run start clears it (before the thread starts).
    long double stopwatchSeconds = 0;

    // ---- Peripherals ----
    // What the peripheral steps between two instructions keep besides the
    // registers (peripherals.h, peripherals.cpp). The run start clears the
    // counts; a reset of the running program leaves the timer's count alone.

    // Where timer 0's edges come from when it does not count instruction
    // cycles: the T0CKI pin, the comparator output, or an unwired T0CKI pin,
    // which reads 1.
    enum class TimerClock : uint8_t { Pin, Comparator, UnwiredPin };

    // Timer 0: TMR0 and its prescaler kept as one count.
    struct Timer0 {
        // Counts per TMR0 step: 2^(PS+1) from OPTION, or 1 while the
        // prescaler belongs to the watchdog. Always a power of two.
        int32_t prescale = 0;
        // TMR0 x prescale + the prescaler's own count: TMR0 is the quotient
        // (wrapping at 256), the prescaler row shows the remainder.
        int32_t count = 0;
        // Instruction cycles the timer still holds after a program write to
        // TMR0: the two cycles after the write do not count.
        uint8_t hold = 0;
        // The edge source's level at the last look, for edge detection.
        bool inputLevel = false;
        TimerClock source = TimerClock::Pin;
    };
    Timer0 timer0;

    // The watchdog: a count of instruction cycles (divided by the prescaler
    // while it belongs to the watchdog) that resets the chip once it passes
    // the period.
    struct Watchdog {
        // Cleared at run start, by CLRWDT and SLEEP and by every reset of the
        // running program; fractional while the prescaler divides.
        Shared<double> count = 0.0;
        // The time-out in instruction cycles, worked out from the clock at
        // run start.
        double period = 0.0;
        // The prescaler's division while it belongs to the watchdog; 0 until
        // the prescaler has first been seen there.
        uint8_t divisor = 0;
    };
    Watchdog watchdog;

    // The converter: a conversion completes 13 instruction cycles after GO
    // is set.
    struct Converter {
        int32_t cycles = 0; // instruction cycles counted towards the running conversion
    };
    Converter converter;

    // Sleep, and what SLEEP saw, which a wake-up compares against.
    struct SleepState {
        bool active = false; // SLEEP executed and not yet woken or reset
        std::array<bool, 4> pinLevels{}; // GP0..GP3 as read by SLEEP
        bool comparatorOut = false; // CMPOUT as read by SLEEP, while the comparator was on
    };
    SleepState sleepState;

    // ---- Run control and pacing, shared with the user-interface thread ----
    // A change of a run flag ends the simulation thread's waits at once.

private:
    RunSignal flagSignal_;

public:
    RunFlag rtRunning{flagSignal_};
    RunFlag rtPause{flagSignal_};
    RunFlag rtexStep{flagSignal_};
    RunFlag rtRefreshComplete{flagSignal_};
    std::atomic<uint8_t> RealTime{0};
    std::atomic<uint8_t> StepByStep{0};
    std::atomic<uint8_t> Delay{0};
    std::atomic<int32_t> DelayMs{0};
    std::atomic<double> Factor{1.0};

    // Real-time pacing's time line, in ticks of the run clock.
    struct Pacing {
        // Ticks of one machine cycle at Factor 1, worked out from the clock
        // at run start; 0 when a cycle is shorter than a tick.
        int64_t cycleTicks = 0;
        // The tick the next cycle is counted from: an instruction may start
        // once cycleTicks x Factor have passed since it, and each cycle moves
        // it on by cycleTicks / Factor. A pause restarts it from the present.
        int64_t lastTick = 0;
    };
    Pacing pacing;
    // The main program's stop routine, called on the simulation thread when
    // the program runs past the end of program memory or the run fails.
    StopProc stopRoutine = nullptr;

    // ---- Register descriptors ----

    std::array<TMatrixRAM, kDescriptorCount> MatrixRAM{};

private:
    // What a register write has to do besides storing the value.
    // Peripheral: a register that selects what the peripheral steps do.
    enum class RegisterKind : uint8_t { Unimplemented, Plain, Indirect, Pcl, Tmr0, Status, Fsr, Port, Adcon0, Peripheral };

    // A port register: its direction row, the bits whose input reads a pin
    // (or a forced 0), the bits a write refreshes from the pins first, and
    // the chip device's port of bit 0.
    struct PortLayout {
        uint16_t trisRow = 0;
        uint8_t inputBits = 0;
        uint8_t refreshBits = 0;
        uint8_t pinOfBit0 = 0;
        uint8_t latchBits = 0; // the bits the port has; the others read 0
        bool gpioRules = false; // GPIO inputs shared with converter, comparator, timer and reset pin
    };

    // Model selection (model_select.cpp).
    // Clears what a previous selection wrote into the descriptors, so no name
    // or row of another model survives a change of model.
    void clearSelectionFields();
    void describeRegisters(const ModelEntry& model);
    void resizeProgramMemory(int32_t words);
    void configureRegisterFile();

    // The run as the instructions work on it: the program counter, the
    // counters and what one instruction hands to the next. The passes keep it
    // in a local copy (its address never escapes, so nothing the loop stores
    // can alias it) and hand it to held_ around every call of code outside
    // the loop, which works on held_. Whatever works on held_ holds the run
    // (HoldRun): the outermost hold takes the counters from the shared values
    // and publishes them back when it ends, which is at the end of each batch
    // of passes, before the stop routine, on an exception and after each call
    // of the register-file interface. Only the thread that runs the passes
    // (or, without a run, the caller) holds the run.
    struct HeldRun {
        int32_t next = 0;         // I
        uint32_t pc = 0;          // PC
        int64_t instructions = 0; // IC
        int64_t cycles = 0;       // MC
        // greenDelta is decided per register over one access (an
        // instruction, or one call of the register-file interface).
        uint64_t accessEpoch = 0;
        bool twoCycle = false;  // the last instruction took two cycles
        bool pclJumped = false; // the executing instruction wrote PCL and jumped
    };

    // Register file (register_file.h, register_file.cpp).
    int bankMapped(int index) const;
    uint8_t readFile(HeldRun& run, int index);
    uint8_t portAsRead(int index);
    uint8_t gpioForcedZeros() const;
    uint8_t pinBits(int firstPort, uint8_t bits);
    void mark(HeldRun& run, int index, uint8_t bits, uint8_t changedBits, bool storeChanged);
    void storePlain(HeldRun& run, int index, uint8_t mask, uint8_t value);
    void writeMasked(HeldRun& run, int index, uint8_t mask, uint8_t value, bool internal);
    void writeMapped(HeldRun& run, int index, uint8_t mask, uint8_t value, bool internal);
    void loadPclLow(HeldRun& run, uint8_t value);
    // PC + 1 mirrored into PCL, with PCL's change marks.
    template <bool kDirect = false>
    void stepPc(HeldRun& run);
    void writeSpecial(int index, uint8_t mask, uint8_t value, bool internal);
    void writeIndirect(uint8_t mask, uint8_t value, bool internal);
    void writeFsr(uint8_t mask, uint8_t value);
    void writeStatus(HeldRun& run, uint8_t mask, uint8_t value, bool internal);
    void writePcl(uint8_t mask, uint8_t value, bool internal);
    void writePort(int index, uint8_t mask, uint8_t value);
    void writeAdcon0(int index, uint8_t mask, uint8_t value);
    void refreshIndfMirror();
    int indfPointer(uint8_t fsr) const;
    uint32_t pageBits() const;
    void jumpTo(HeldRun& run, uint32_t address);

    class HoldRun {
    public:
        explicit HoldRun(Engine& engine)
            : engine_(engine)
        {
            if (engine_.holdDepth_++ == 0)
                engine_.takeHeldRun();
        }
        ~HoldRun()
        {
            if (--engine_.holdDepth_ == 0)
                engine_.publishRun();
        }
        HoldRun(const HoldRun&) = delete;
        HoldRun& operator=(const HoldRun&) = delete;

    private:
        Engine& engine_;
    };
    void takeHeldRun()
    {
        held_.next = I.load();
        held_.pc = PC.load();
        held_.instructions = IC.load();
        held_.cycles = MC.load();
        noticeEdits();
    }
    void publishHeldRun()
    {
        I.store(held_.next);
        PC.store(held_.pc);
        IC.store(held_.instructions);
        MC.store(held_.cycles);
    }
    // The chip device's callbacks may look at the counters: they see them as
    // the executing instruction left them.
    void publishForCallback()
    {
        if (holdDepth_ > 0)
            publishHeldRun();
    }
    HeldRun held_;
    int holdDepth_ = 0;

    // Instructions (instructions.cpp).
    void executeInstruction(HeldRun& run);
    // kWatchFlags: also return before a pass once a run flag or the pacing
    // has changed since the call, so that the thread's wait sees the change.
    // kPaced: also return before a pass whose instruction is not due by
    // the time the last wait ended, and move the due time on for each one
    // that is (the first pass's cycle was granted by the wait).
    template <bool kStopAddress, bool kWatchFlags, bool kPaced = false>
    RunResult runPasses(uint64_t maxPasses, int32_t stopAddress);
    // Up to `maxPasses` passes at the fastest rate, on the simulation thread.
    RunResult runFastestBatch(uint64_t maxPasses);
    // The passes that are due at real-time pacing, up to `maxPasses`.
    RunResult runPacedSlice(uint64_t maxPasses);
    // pacing.cycleTicks / Factor, worked out again only when either changes.
    int64_t pacingCycleTicks()
    {
        const double factor = Factor.load(std::memory_order_relaxed);
        if (factor != tickFactor_ || pacing.cycleTicks != tickCycle_) [[unlikely]] {
            tickFactor_ = factor;
            tickCycle_ = pacing.cycleTicks;
            ticksPerCycle_ = pacingTicksPerCycle(pacing.cycleTicks, factor);
        }
        return ticksPerCycle_;
    }
    // The peripheral steps that run before each instruction; false when the
    // pass ends without one (peripherals.h, peripherals.cpp).
    bool peripheralStep(HeldRun& run);
    bool countLazyPass(HeldRun& run);
    bool peripheralStepOnHeld();
    // Works out which steps the next passes take from the registers, the
    // configuration and the wiring; replanPeripherals() has the next pass
    // do it.
    void planPeripherals();
    void replanPeripherals() { peripheralWork_ |= kReplan; }
    float pinLevel(int port);
    void restartAfterReset(bool byResetPin, bool byWatchdog, bool byPinChange, bool byComparatorChange);
    bool resetPinLow();
    void converterStep(int cycles);
    void completeConversion();
    void comparatorStep();
    bool watchdogStep(int cycles);
    void sleepStep();
    void retuneTimer0(int32_t ratio);
    void countTimer0Edge(bool input, bool held);
    int heldTimerCycles(int cycles);
    void tmr0Tick();
    void storeTimerRow(int index, uint8_t value);
    void flushLazyCycles();
    void flushLazyTimer();
    void flushLazyWatchdog();
    void countLazyTimerCycles(uint64_t cycles, uint64_t lastCycles);
    void storeLazyTimerRow(int index, uint8_t before, uint8_t after);
    void armWatchdogLimit();
    uint64_t watchdogLimitFrom(double count) const;
    void watchdogRunsOut(int cycles);
    // watchdog.count := 0 after what the watchdog had yet to count.
    void clearWatchdogCount();
    // ClrWdtStatus() within a hold: the count cleared, \TO set and \PD set
    // unless asleep.
    void clearWatchdog(HeldRun& run);
    template <bool kDirect = false>
    void advance(HeldRun& run);
    void chargeExtraCycle(HeldRun& run);
    template <bool kDirect = false>
    void skip(HeldRun& run);
    // A handler's register operand: the bank-mapped f of the word, read and
    // written as the register file does. kDirect: the predecoded entry found
    // f and W plain registers without a breakpoint (quietWrite_), f the same
    // register in every bank, and no breakpoint on STATUS or PCL, so the
    // operand needs no look-ups and the handler cannot hit a breakpoint.
    template <bool kDirect>
    int operandOf(uint16_t word) const;
    template <bool kDirect>
    uint8_t readOperand(HeldRun& run, int mapped);
    template <bool kDirect>
    void writeOperand(HeldRun& run, int mapped, uint8_t mask, uint8_t value);
    template <bool kDirect>
    void storeResult(HeldRun& run, uint16_t word, int mapped, uint8_t result);
    bool directOperand(uint16_t word, int row) const;
    template <bool kDirect = false>
    void writeFlags(HeldRun& run, uint8_t mask, uint8_t values);
    template <bool kDirect = false>
    void writeZero(HeldRun& run, uint8_t result);
    template <bool kDirect>
    void xorlw(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void andlw(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void iorlw(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void movlw(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void gotoInstruction(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void call(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void retlw(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void btfss(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void btfsc(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void bsf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void bcf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void incfsz(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void swapf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void rlf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void rrf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void decfsz(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void incf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void comf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void movf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void addwf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void xorwf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void andwf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void iorwf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void decf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void subwf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void clrf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void clrw(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void movwf(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void tris(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void clrwdt(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void sleep(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void option(HeldRun& run, uint16_t word);
    template <bool kDirect>
    void nop(HeldRun& run, uint16_t word);

    // The simulation thread (run_thread.cpp).
    void runThreadBody();
    void runPassesOnThread();
    // Waits as the pacing demands before the pending pass's instruction;
    // false when the run is to end.
    bool waitForPass();
    bool stepGranted(uint64_t seen);
    bool delayPassed();
    bool cycleDue(uint64_t seen);
    // Waits `ticks` or until `interrupted()` holds; false when interrupted.
    template <typename Interrupted>
    bool sleepUnless(int64_t ticks, Interrupted interrupted);
    bool onSimulationThread() const;

    // Resets (resets.cpp).
    // One bit of unknown state as the chip device's choice has it: 0, 1 or
    // random (also without a chip device).
    bool unknownBitValue();
    uint8_t unknownBits(uint8_t bits);

    const ModelEntry* model_ = nullptr;
    ChipLink* chipLink_ = nullptr;
    std::mt19937 random_;

    std::array<RegisterKind, kRegisterCount> kind_{};
    std::array<PortLayout, 10> ports_{};
    uint8_t bankMask_ = 0; // FSR bits that select the bank of 0x10..0x1F
    uint8_t fsrMask_ = 0;  // FSR bits the model has
    uint8_t pageMask_ = 0; // STATUS page bits that take part in jumps
    uint32_t pcMask_ = 0;
    int32_t romMask_ = 0;

    // ---- What the instruction loop keeps to pay only for what is armed ----
    // (instructions.cpp, register_file.h, register_file.cpp)

    // The tables below that follow program memory, the line breakpoints,
    // the register breakpoints and the model are built again when a hold of
    // the run starts and editCount() has moved since they were built, or the
    // model has changed (seenEdits_ is then kUnbuilt).
    static constexpr uint64_t kUnbuilt = UINT64_MAX;
    uint64_t seenEdits_ = kUnbuilt;
    void rebuildLoopTables();
    // At the start of a hold, and after each call into the chip device,
    // whose callbacks may edit the program or the breakpoints.
    void noticeEdits()
    {
        if (editCount().load(std::memory_order_acquire) != seenEdits_) [[unlikely]]
            rebuildLoopTables();
    }
    // One entry per program word and two past the last word: the word, its
    // handler (the decoder row, plus kInstructionCount when its operands are
    // direct: directOperand()), and what a pass starting there has to do
    // before the instruction (stop at a line breakpoint, or handle the end
    // of memory).
    enum PassStop : uint8_t { kLineBreakpoint = 1, kPastEnd = 2 };
    struct Predecoded {
        uint16_t word = 0;
        uint8_t handler = 0;
        uint8_t stop = kPastEnd;
    };
    std::vector<Predecoded> predecoded_;
    // Plain registers without a breakpoint: a write stores and marks, and
    // nothing else. Every other write goes through writeSpecial().
    std::array<bool, kRegisterCount> quietWrite_{};
    bool pclWatched_ = false; // PCL has a breakpoint: every step of the program counter stops
    // pacingCycleTicks() as the batch started: a change of Factor ends the
    // simulation thread's batch.
    int64_t batchCycleTicks_ = 0;
    // The watchdog limit last worked out, and what it was worked out from
    // (armWatchdogLimit()).
    struct WatchdogLimit {
        double count = -1.0;
        double share = 0.0;
        double period = 0.0;
        uint64_t limit = UINT64_MAX;
    };
    WatchdogLimit lastLimit_;

    // The change marks while the engine works, handed to the descriptors
    // when the outermost hold of the run ends (every register write happens
    // inside one). A write only stores: no mark is read, changed and written
    // back at every instruction, which would chain one instruction's marks to
    // the last one's through memory. Per register: the number of the last
    // access that wrote it, the number of the last access in which a write
    // changed it (greenDelta: the two differ), and the bits written since the
    // last hand-over with kMarkWritten. An unchanging write stores its
    // access number into the spare entry kNoRegister instead.
    static constexpr uint16_t kMarkWritten = 0x100;
    static constexpr size_t kNoRegister = size_t(kRegisterCount);
    // The changing access of a timer row's update that changed nothing:
    // never an access's number.
    static constexpr uint64_t kUnchangedUpdate = UINT64_MAX;
    std::array<uint64_t, kRegisterCount> writtenAccess_{};
    std::array<uint64_t, kRegisterCount + 1> changedAccess_{};
    std::array<uint16_t, kRegisterCount> markedBits_{};
    std::array<uint16_t, kRegisterCount> markedRows_{}; // the registers written since the last hand-over
    int markedCount_ = 0;
    // Registers with a breakpoint, as the descriptors had them when the
    // tables were built.
    std::array<bool, kRegisterCount> watched_{};
    // Bits written since the last hand-over.
    void noteWritten(int index, uint8_t bits);
    void recordMark(HeldRun& run, int index, uint8_t bits, bool changed);
    // The marks of a timer row's update: all bits written, greenDelta as
    // that one write leaves it, outside any access.
    void recordTimerRowMark(int index, bool changed);
    // storePlain() for a register in quietWrite_.
    void storeQuiet(HeldRun& run, int index, uint8_t mask, uint8_t value);
    void noteMarked(int index);
    // A breakpoint is hit: the passes stop before the next one, and rtPause
    // is set once the outermost hold has published where the run stands, so
    // whoever sees the pause also sees the counters and marks of that place.
    [[gnu::noinline, gnu::cold]] void pauseAtBreakpoint();
    bool breakpointHit_ = false;
    void publishMarks();
    // Forgets the marks not yet handed over (the power-on reset clears the
    // descriptors' marks).
    void discardMarks();
    void publishRun()
    {
        publishHeldRun();
        publishMarks();
        if (breakpointHit_) [[unlikely]] {
            breakpointHit_ = false;
            rtPause.store(1);
        }
    }

    // Locals of the simulation thread's run.
    bool wrapAllowance_ = false; // running past the end may wrap to 0 once

    // The peripheral plan (peripherals.cpp): what each pass has to do.
    enum PeripheralWork : uint16_t {
        kReplan = 1,
        kResetPinStep = 2,
        kConverterStep = 4,
        kComparatorStep = 8,
        kWatchdogStep = 16,
        kSleepStep = 32,
        kTimerCycles = 64, // timer 0 counts instruction cycles
        kTimerEdges = 128, // timer 0 counts edges of timer0.source
        // The watchdog and/or timer 0 on the instruction clock count in
        // lazy_.cycles and catch up when the program could see the difference.
        kLazyCycles = 256,
    };
    uint16_t peripheralWork_ = kReplan;
    // Timer 0 on the instruction clock and the watchdog counted lazily: the
    // instruction cycles passed since both last caught up, how far into them
    // each has counted, and the last pass's share of them. Timer 0 catches
    // up when TMR0 is read or written, the watchdog when CLRWDT or SLEEP
    // clears it (dropping what it had yet to count), and both at a reset,
    // when the plan changes and when a batch of passes ends.
    struct LazyCounting {
        uint64_t cycles = 0;
        uint64_t timerCounted = 0;    // cycles timer 0 has counted
        uint64_t watchdogCounted = 0; // cycles the watchdog has counted or dropped
        uint8_t lastPassCycles = 0;
        bool timer0 = false;   // timer 0 counts lazily
        bool watchdog = false; // the watchdog counts lazily
        double watchdogShare = 1.0; // watchdog counts per instruction cycle
        // The watchdog runs out once `cycles` exceeds this.
        uint64_t watchdogLimit = UINT64_MAX;
        uint64_t watchdogLimitFromZero = UINT64_MAX; // further cycles allowed from a count of 0
    };
    LazyCounting lazy_;
    uint64_t wiredPorts_ = 0; // bit p: port p read through the link
    double tickFactor_ = 0.0; // Factor and pacing.cycleTicks that ticksPerCycle_ was worked out for
    int64_t tickCycle_ = 0;
    int64_t ticksPerCycle_ = 0;
    int64_t sliceTicks_ = 1'000'000; // real-time pacing wakes at most once a millisecond
    int64_t sliceNow_ = 0;           // the clock as the last real-time wait left it
    bool passPrepared_ = false; // beginPass() has run for the pending pass
    bool runEnded_ = false;

    RunClock* clock_ = &steadyRunClock();
    int32_t lastRunCrystalFrequency_ = 4000000; // the clock the last run started with
    // Counts the calls of Set_RT_parametrs; real-time pacing starts from the
    // present whenever it moves.
    std::atomic<uint64_t> pacingChanges_{0};
    uint64_t pacingChangesSeen_ = 0;
    std::thread simThread_; // the thread of the current or last run
};

} // namespace corvel
