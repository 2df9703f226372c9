#include "mcu-device/chip_device.h"

#include <algorithm>
#include <array>
#include <iterator>

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
            engine_.rtCrystalFreq = *frequency;
    } else {
        const int ioscfs = save_data::ioscfsBit(model_);
        engine_.rtCrystalFreq = save_data::internalFrequency(model_, ioscfs >= 0 && record[ioscfs] == '1');
    }
    // The power-on reset takes the new configuration and the unknown-bit
    // choice. During a run the registers stay the thread's: the bits apply at
    // once, the reset and the clock with the next run.
    engine_.PowerOnResetUnlessRunning();
}

// ---------------------------------------------------------------------------
// What the engine reads and writes through the device

float ChipDevice::Link::pinLevel(int port) const
{
    if (port < 0 || port >= device_.Port.length())
        return NotDrivenLevel;
    const TNode* node = device_.Port[port]->Node;
    return node ? node->GetLevel() : NotDrivenLevel;
}

bool ChipDevice::Link::portWired(int port) const
{
    return port >= 0 && port < device_.Port.length() && device_.Port[port]->Node;
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
        device_.engine_.rtCrystalFreq = save_data::internalFrequency(device_.model_, value == '1');
}

// ---------------------------------------------------------------------------
// Checked conversions

ChipDevice* asChipDevice(TObject* sender)
{
    return static_cast<ChipDevice*>(ownedDevice(sender, OwnedKind::ChipDevice));
}

ChipPinOf asChipPin(TObject* sender)
{
    TDevice* device = ownedDevice(sender, OwnedKind::ChipPin);
    if (!device)
        return {};
    return {static_cast<TRCPort*>(sender), static_cast<ChipDevice*>(device)};
}

} // namespace corvel
