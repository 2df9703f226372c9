#include "mcu-device/chip_device.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <iterator>
#include <utility>

#include <QImage>

#include "engine/catalogue.h"
#include "mcu-device/chip_drawing.h"
#include "mcu-device/chip_pictures.h"
#include "mcu-device/chip_save_data.h"
#include "mcu-device/config_dialog.h"
#include "mcu-device/corvel_library.h"
#include "mcu-device/library_face.h"
#include "mcu-device/pin_levels.h"

namespace corvel {
namespace {

// ---------------------------------------------------------------------------
// The pins of the live chip devices, for the level callback. Every pin read
// another device makes through a node reaches the callback, on the simulation
// thread among others, so it recognises its argument here without a lock: a
// slot is claimed by a device, filled with its pins and then published with
// the device; the callback compares pointers and touches nothing else until
// one matches. A device that finds no free slot is served through the record
// of owned objects, which takes a lock.

constexpr std::size_t kMaxChipPins = kMostChipPins;

struct PinTableSlot {
    std::atomic<bool> claimed{false};
    std::atomic<ChipDevice*> device{nullptr};
    std::atomic<int> pinCount{0};
    std::array<std::atomic<const TObject*>, kMaxChipPins> pins{};
};

constexpr int kPinTableSlots = 8;
PinTableSlot pinTable[kPinTableSlots];
// Devices alive without a slot; while there are none, a pointer the table
// does not hold is no pin of corvel's.
std::atomic<int> devicesWithoutSlot{0};

int publishPins(ChipDevice* device)
{
    for (int index = 0; index < kPinTableSlots; ++index) {
        PinTableSlot& slot = pinTable[index];
        bool expected = false;
        if (!slot.claimed.compare_exchange_strong(expected, true, std::memory_order_acquire))
            continue;
        const int count = std::min(int(device->Port.length()), int(kMaxChipPins));
        for (int pin = 0; pin < count; ++pin)
            slot.pins[size_t(pin)].store(device->Port[pin], std::memory_order_relaxed);
        slot.pinCount.store(count, std::memory_order_relaxed);
        slot.device.store(device, std::memory_order_release);
        return index;
    }
    devicesWithoutSlot.fetch_add(1);
    return -1;
}

void withdrawPins(int index)
{
    if (index < 0) {
        devicesWithoutSlot.fetch_sub(1);
        return;
    }
    PinTableSlot& slot = pinTable[index];
    slot.device.store(nullptr, std::memory_order_release);
    slot.pinCount.store(0, std::memory_order_relaxed);
    for (auto& pin : slot.pins)
        pin.store(nullptr, std::memory_order_relaxed);
    slot.claimed.store(false, std::memory_order_release);
}

ChipDevice* publishedDeviceOf(const TObject* pin)
{
    for (PinTableSlot& slot : pinTable) {
        ChipDevice* device = slot.device.load(std::memory_order_acquire);
        if (!device)
            continue;
        const int count = slot.pinCount.load(std::memory_order_relaxed);
        for (int index = 0; index < count; ++index) {
            if (slot.pins[size_t(index)].load(std::memory_order_relaxed) == pin)
                // The slot may have changed hands while it was searched.
                return slot.device.load(std::memory_order_acquire) == device ? device : nullptr;
        }
    }
    return nullptr;
}

// The chip picture's view of the engine. The node levels are those of the
// chip device the engine is bound to, which is the one being drawn.
class EngineChipView final : public ChipView {
public:
    explicit EngineChipView(const Engine& engine)
        : engine_(engine)
    {
    }

    int typeMC() const override { return engine_.TypeMC; }
    uint8_t reg(int registerIndex) const override { return engine_.RAM[size_t(registerIndex)]; }
    bool config(int bit) const override { return engine_.Config[size_t(bit)] != 0; }
    float nodeLevel(int port) const override
    {
        const ChipLink* link = engine_.chipLink();
        return link ? link->pinLevel(port) : NotDrivenLevel;
    }
    ChipAddresses addresses() const override
    {
        return {.gpio = engine_.AdrGPIO,
                .osccal = engine_.AdrOSCCAL,
                .cmcon0 = engine_.AdrCMCON0,
                .adcon0 = engine_.AdrADCON0,
                .port = {engine_.AdrPORTA, engine_.AdrPORTB, engine_.AdrPORTC, engine_.AdrPORTD, engine_.AdrPORTE},
                .hasFosc4 = engine_.HasFOSC4};
    }

private:
    const Engine& engine_;
};

extern "C" void DrawMC(TObject* sender, bool isRunning, long double)
{
    ChipDevice* device = asChipDevice(sender);
    if (device && device->Image())
        drawChip(*device->Image(), EngineChipView(device->engine()), isRunning);
}

// A device is always made: of PIC10F200 for an index without a model.
int knownModel(int model)
{
    return model >= 0 && model < kModelIndexCount ? model : kPic10F200;
}

// The device is as large as its model's package picture. The first call in
// the process prepares every chip picture.
const QImage& packagePicture(int model)
{
    return chipPackagePicture(knownModel(model), false);
}

} // namespace

const ChipModel& chipModel(int model)
{
    return *listedModel(knownModel(model));
}

// ---------------------------------------------------------------------------
// The device

ChipDevice::ChipDevice(Engine& engine, int model, TWindowHandle hostHandle)
    : TDevice(0, packagePicture(model).width(), packagePicture(model).height(), 0,
              TShortString::from("Microchip PIC"), TShortString::from("BASELINE"),
              TShortString::from(chipModel(model).name), std::int32_t(chipModel(model).pins.size()), DrawMC, nullptr,
              false, nullptr, false, nullptr, false, nullptr, false, nullptr, false, ShowSettingsMC, true,
              BackApplySaveData, nullptr, hostHandle)
    , engine_(engine)
    , model_(knownModel(model))
    , link_(*this)
{
    rememberOwned(this, OwnedKind::ChipDevice, this);
    for (const ChipPin& pin : chipModel(model_).pins) {
        TRCPort* port = AddPort(TShortString::from(pin.name), pin.inputOnly ? 1 : 3, true,
                                pin.inputOnly ? NotDrivenLevel : 0.0f, GetPinLevelMC);
        rememberOwned(port, OwnedKind::ChipPin, this);
    }
    pinTableSlot_ = publishPins(this);
    const save_data::Record record = save_data::defaultRecord(engine_.Config);
    setLenSaveData(save_data::kLength);
    std::copy(record.begin(), record.end(), SaveData().begin());
    engine_.setChipLink(&link_);
}

ChipDevice::~ChipDevice()
{
    if (engine_.chipLink() == &link_)
        engine_.setChipLink(nullptr);
    forgetDeviceMC(this);
    withdrawPins(pinTableSlot_);
    for (TRCPort* pin : Port)
        forgetOwned(pin);
    forgetOwned(this);
}

void ChipDevice::applySaveData()
{
    save_data::normaliseRecord(*this, engine_.Config);
    const TArrayChar record = SaveData();
    for (int bit = 0; bit < save_data::kConfigBits; ++bit)
        engine_.Config[size_t(bit)] = record[bit] == '1' ? 1 : 0;
    if (record[save_data::kUserFrequencyFlag] == '1') {
        if (const auto frequency = save_data::storedFrequency(record))
            engine_.crystalFrequency = *frequency;
    } else {
        const int ioscfs = save_data::ioscfsBit(model_);
        engine_.crystalFrequency = save_data::internalFrequency(model_, ioscfs >= 0 && record[ioscfs] == '1');
    }
    // The power-on reset takes the new configuration and the unknown-bit
    // choice. During a run the registers stay the thread's: the bits apply at
    // once, the reset and the clock with the next run.
    const bool firstApply = std::exchange(unrun_, false);
    if (engine_.PowerOnResetUnlessRunning() && firstApply) {
        // A chip just placed has run nothing: at its reset address, no
        // instruction executed, counters, stopwatch, watchdog and stack at
        // zero, whatever the engine's previous chip had done.
        engine_.startRun();
        engine_.CurrentCommand = 0;
    }
}

// ---------------------------------------------------------------------------
// What the engine reads and writes through the device

int ChipDevice::ownPort(const TRCPort* pin) const
{
    if (pin->Device != this)
        return -1;
    const int port = pin->PortNo();
    return port >= 0 && port < Port.length() && Port[port] == pin ? port : -1;
}

float ChipDevice::nodeLevel(const TNode& node) const
{
    return node.MeanLevel([this](TRCPort* pin) {
        const int port = ownPort(pin);
        return port >= 0 ? chipPinLevel(engine_, port) : pin->GetLevel();
    });
}

// The node is asked at every read: another device may change its level at
// any moment. A node the pin alone is on, as the host wires every chip pin
// at first, has the chip's own level without a look at anything else.
float ChipDevice::Link::pinLevel(int port) const
{
    if (port < 0 || port >= device_.Port.length())
        return NotDrivenLevel;
    const TRCPort* pin = device_.Port[port];
    const TNode* node = pin->Node;
    if (!node)
        return NotDrivenLevel;
    if (node->Ports.length() == 1 && node->Ports[0] == pin)
        return pin->Direction() >= 2 ? chipPinLevel(device_.engine_, port) : NotDrivenLevel;
    return device_.nodeLevel(*node);
}

// Undriven until the engine plans again: no node, a node nothing can drive,
// or one that only the chip's own pins drive while the registers that give
// them a function leave them all undriven. Those registers make the engine
// plan again when the program writes them.
bool ChipDevice::Link::portWired(int port) const
{
    if (port < 0 || port >= device_.Port.length())
        return false;
    const TNode* node = device_.Port[port]->Node;
    if (!node)
        return false;
    for (const TRCPort* member : node->Ports) {
        if (member->Direction() < 2)
            continue;
        const int own = device_.ownPort(member);
        if (own < 0 || !chipPinUndrivenByFunction(device_.engine_, own))
            return true;
    }
    return false;
}

char ChipDevice::Link::unknownBitChoice() const
{
    const TArrayChar record = device_.SaveData();
    return record.length() > save_data::kUnknownBit ? record[save_data::kUnknownBit] : '0';
}

void ChipDevice::Link::storeConfigBit(int bit, char value)
{
    if (bit < 0 || bit >= save_data::kConfigBits)
        return;
    save_data::normaliseRecord(device_, device_.engine_.Config);
    const TArrayChar record = device_.SaveData();
    record[bit] = value;
    // Without a user frequency the clock follows IOSCFS, as applying the
    // record would make it; a changed IOSCFS must not leave the old clock.
    if (bit == save_data::ioscfsBit(device_.model_) && record[save_data::kUserFrequencyFlag] != '1')
        device_.engine_.crystalFrequency = save_data::internalFrequency(device_.model_, value == '1');
}

// ---------------------------------------------------------------------------
// Checked conversions

ChipDevice* asChipDevice(TObject* sender)
{
    return static_cast<ChipDevice*>(ownedDevice(sender, OwnedKind::ChipDevice));
}

ChipPinOf asChipPin(TObject* sender)
{
    if (ChipDevice* device = publishedDeviceOf(sender))
        return {static_cast<TRCPort*>(sender), device};
    if (devicesWithoutSlot.load() == 0)
        return {};
    TDevice* device = ownedDevice(sender, OwnedKind::ChipPin);
    if (!device)
        return {};
    return {static_cast<TRCPort*>(sender), static_cast<ChipDevice*>(device)};
}

} // namespace corvel
