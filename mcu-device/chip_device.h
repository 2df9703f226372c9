// The chip device: the workbench device whose pins are the simulated
// microcontroller's pins, with its saved settings kept in step with the
// engine's configuration bits and clock.
#pragma once

#include <cstdint>

#include "devices/contract.h"
#include "engine/chip_link.h"
#include "engine/engine.h"

namespace corvel {

// Everything the library face knows of a model is its catalogue row
// (engine/catalogue.h): name, package, pins and configuration family, for
// all sixteen indices, also PIC16F505/506/526 that the engine cannot simulate.
using ChipModel = ModelEntry;

// The row of model `model` (0..15); PIC10F200's for any other index, so that
// a device is always made.
const ChipModel& chipModel(int model);

class ChipDevice : public TDevice {
public:
    // The device of `model` with its pins and its default record, bound to
    // `engine`: from now on the engine reads pin levels and the unknown-bit
    // choice from this device and writes configuration bits into its record.
    ChipDevice(Engine& engine, int model, TWindowHandle hostHandle);
    // corvel forgets the device and its pins, and the engine no longer
    // reaches it.
    ~ChipDevice() override;

    Engine& engine() const { return engine_; }
    int model() const { return model_; }

    // The record into Config and the engine's crystal frequency, then a power-on reset,
    // which waits for the next run when a run is active. A record of the
    // wrong length is made 23 characters first. The first apply of a new
    // device also gives the engine the run state of a chip that has not run.
    void applySaveData();

    // The level of `node` as TNode::GetLevel gives it, this device's own
    // pins on it computed from the engine directly instead of through their
    // level callback.
    float nodeLevel(const TNode& node) const;

    // The port number of `pin` when it is one of this device's pins, else -1.
    int ownPort(const TRCPort* pin) const;

private:
    class Link final : public ChipLink {
    public:
        explicit Link(ChipDevice& device)
            : device_(device)
        {
        }
        float pinLevel(int port) const override;
        bool portWired(int port) const override;
        char unknownBitChoice() const override;
        void storeConfigBit(int bit, char value) override;

    private:
        ChipDevice& device_;
    };

    Engine& engine_;
    int model_;
    Link link_;
    bool unrun_ = true; // until the first apply of the record
    int pinTableSlot_ = -1; // where the level callback finds the pins, -1 for none
};

// Checked conversions of a callback's first argument: the chip device or pin
// corvel created and has not seen freed, else null. asChipPin takes no lock
// while fewer than a handful of chip devices are alive at once.
ChipDevice* asChipDevice(TObject* sender);
struct ChipPinOf {
    TRCPort* pin = nullptr;
    ChipDevice* device = nullptr;
};
ChipPinOf asChipPin(TObject* sender);

} // namespace corvel
