// corvel as a device library: the three entry points every device library
// answers, and the apply callback of its chip device, exported by name.
#include "mcu-device/library_face.h"

#include "mcu-device/chip_device.h"
#include "mcu-device/corvel_library.h"
#include "mcu-device/library_texts.h"

namespace corvel {
namespace {

// The description Get_info_class hands out; the host frees it.
class ChipLibraryInfo final : public TInfoDevice {
public:
    ChipLibraryInfo() { rememberOwned(this, OwnedKind::Description, nullptr); }
    ~ChipLibraryInfo() override
    {
        forgetInfoDeviceMC(this);
        forgetOwned(this);
    }
};

} // namespace
} // namespace corvel

TW_EXPORT std::int32_t What_is(TShortString* dest, std::int32_t maxLen)
{
    return answerWhatIs(dest, maxLen);
}

TW_EXPORT TInfoDevice* Get_info_class()
{
    using namespace corvel;
    LoadLanguageMC();
    auto* info = new ChipLibraryInfo;
    setInfoDeviceMC(info);
    info->vType = 0;
    info->vSType = TShortString::from("Microchip PIC");
    info->vSFamily = TShortString::from("BASELINE");
    // In model-index order: the host passes the index of the chosen entry to SelectMC.
    info->vSModel.resize(kModelIndexCount);
    for (int model = 0; model < kModelIndexCount; ++model)
        info->vSModel[model] = TShortString::from(chipModel(model).name);
    // corvel has no palette icon.
    info->vIcon = nullptr;
    info->vSDisplayName = TShortString::fromQString(GetTextMC(0));
    return info;
}

TW_EXPORT TDevice* Get_Device_class(TWindowHandle hostHandle)
{
    using namespace corvel;
    LoadLanguageMC();
    Engine& engine = TheEngine();
    auto* device = new ChipDevice(engine, engine.TypeMC, hostHandle);
    setDeviceMC(device);
    device->applySaveData();
    return device;
}

TW_EXPORT void BackApplySaveData(TObject* sender)
{
    if (corvel::ChipDevice* device = corvel::asChipDevice(sender))
        device->applySaveData();
}
