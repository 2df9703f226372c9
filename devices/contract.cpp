// The device contract's methods and the helpers both sides of a device
// library use. Every module compiles its own copy of this file.
#include "devices/contract.h"

#include <algorithm>
#include <cmath>

#include <dlfcn.h>

#include <QImage>
#include <QString>

// ---------------------------------------------------------------------------
// Short strings

std::size_t utf8FittingLength(std::string_view utf8, std::size_t maxBytes)
{
    if (utf8.size() <= maxBytes)
        return utf8.size();
    // Find where the sequence that holds the first excluded byte begins; when
    // that sequence started before the cut it would be split, so cut before it.
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    std::size_t start = maxBytes;
    while (start > 0 && maxBytes - start < 3 && (byteAt(start) & 0xC0) == 0x80)
        --start;
    if (start == maxBytes)
        return maxBytes;
    const unsigned char lead = byteAt(start);
    const std::size_t sequence = lead >= 0xF0 && lead <= 0xF4 ? 4
                                 : lead >= 0xE0 && lead <= 0xEF ? 3
                                 : lead >= 0xC2 && lead <= 0xDF ? 2
                                                                : 1;
    return start + sequence > maxBytes ? start : maxBytes;
}

TShortString TShortString::from(std::string_view utf8, int maxLength)
{
    TShortString result;
    const std::size_t limit = std::size_t(std::clamp(maxLength, 0, MaxLength));
    result.length = std::uint8_t(utf8FittingLength(utf8, limit));
    std::memcpy(result.chars, utf8.data(), result.length);
    return result;
}

TShortString TShortString::fromQString(const QString& text, int maxLength)
{
    const QByteArray utf8 = text.toUtf8();
    return from(std::string_view(utf8.constData(), std::size_t(utf8.size())), maxLength);
}

QString TShortString::toQString() const
{
    return QString::fromUtf8(chars, length);
}

// ---------------------------------------------------------------------------
// Classes

TObject::~TObject() = default;

TNode::~TNode()
{
    Ports.release();
}

float TNode::GetLevel() const
{
    return MeanLevel([](TRCPort* pin) { return pin->GetLevel(); });
}

TInfoDevice::~TInfoDevice()
{
    vSModel.release();
    delete vIcon;
}

TDevice::TDevice(std::int32_t internalIndex, std::int32_t width, std::int32_t height, std::uint8_t devType,
                 const TShortString& rcType, const TShortString& rcFamily, const TShortString& rcModel,
                 std::int32_t numberOfPorts, TBackProcDraw backProcDraw, TBackClick backClick, bool enabledClick,
                 TBackMouseDown backMD, bool enabledMD, TBackMouseMove backMM, bool enabledMM,
                 TBackMouseUp backMU, bool enabledMU, TBackDblClick backDblClick, bool enabledDblClick,
                 TBackShowSettings backShowSettings, bool enabledShowSettings,
                 TBackApplySaveData backApplySaveData, TWindowHandle origHandle, TWindowHandle hostHandle)
    : fDevType(devType)
    , fRCType(rcType)
    , fRCFamily(rcFamily)
    , fRCModel(rcModel)
    , fPortsCount(numberOfPorts)
    , fWidth(width)
    , fHeight(height)
    , fHostHandle(hostHandle)
    , fOrigHandle(origHandle)
    , fBackProcDraw(backProcDraw)
    , fBackClick(backClick)
    , fBackMD(backMD)
    , fBackMM(backMM)
    , fBackMU(backMU)
    , fBackDblClick(backDblClick)
    , fBackShowSettings(backShowSettings)
    , fBackApplySaveData(backApplySaveData)
    , fAssignedBackClick(enabledClick)
    , fAssignedBackMD(enabledMD)
    , fAssignedBackMM(enabledMM)
    , fAssignedBackMU(enabledMU)
    , fAssignedBackDblClick(enabledDblClick)
    , fAssignedShowSettings(enabledShowSettings)
    , InternalIndex(internalIndex)
{
}

TDevice::~TDevice()
{
    // The pins actually held, whatever count the device was created with: a
    // library that added fewer or more must neither crash nor leak here.
    for (TRCPort* pin : Port)
        delete pin;
    Port.release();
    fSaveData.release();
}

TRCPort* TDevice::AddPort(const TShortString& portName, std::uint8_t direction, bool digital, float level,
                          TBackProcGetLevel backProcGetLevel)
{
    const std::int32_t number = Port.length();
    Port.resize(number + 1);
    TRCPort* pin = new TRCPort(portName, direction, digital, level, backProcGetLevel, number);
    pin->Device = this;
    Port[number] = pin;
    return pin;
}

void TDevice::DrawImage(bool isRunning, long double runningTime)
{
    if (fBackProcDraw)
        fBackProcDraw(this, isRunning, runningTime);
}

void TDevice::Click()
{
    if (fBackClick)
        fBackClick(this);
}

void TDevice::DblClick()
{
    if (fBackDblClick)
        fBackDblClick(this);
}

void TDevice::ShowSettings()
{
    if (fBackShowSettings)
        fBackShowSettings(this);
}

void TDevice::ApplySettings()
{
    if (fBackApplySaveData)
        fBackApplySaveData(this);
}

void TDevice::MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y)
{
    if (fBackMD)
        fBackMD(this, button, shift, x, y);
}

void TDevice::MouseMove(TShiftState shift, std::int32_t x, std::int32_t y)
{
    if (fBackMM)
        fBackMM(this, shift, x, y);
}

void TDevice::MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y)
{
    if (fBackMU)
        fBackMU(this, button, shift, x, y);
}

TRCPort::TRCPort(const TShortString& portName, std::uint8_t direction, bool digital, float level,
                 TBackProcGetLevel backProcGetLevel, std::int32_t portNo)
    : fPortName(portName)
    , fDirection(direction)
    , fDigital(digital)
    , fBackProcGetLevel(backProcGetLevel)
    , fDefaultLevel(level)
    , fPortNo(portNo)
{
}

float TRCPort::GetLevel()
{
    return fBackProcGetLevel ? fBackProcGetLevel(this) : NotDrivenLevel;
}

// ---------------------------------------------------------------------------
// Entry points

std::int32_t answerWhatIs(TShortString* dest, std::int32_t maxLen)
{
    if (!dest)
        return -1;
    *dest = TShortString::from(InterfaceVersion, maxLen);
    return 0;
}

TEntryPoints bindEntryPoints(void* libraryHandle)
{
    TEntryPoints entries;
    if (!libraryHandle)
        return entries;
    entries.What_is = reinterpret_cast<TWhat_is>(dlsym(libraryHandle, "What_is"));
    entries.Get_info_class = reinterpret_cast<TGet_info_class>(dlsym(libraryHandle, "Get_info_class"));
    entries.Get_Device_class = reinterpret_cast<TGet_Device_class>(dlsym(libraryHandle, "Get_Device_class"));
    return entries;
}

bool acceptsWhatIsAnswer(std::int32_t result, const TShortString& answer)
{
    return result >= 0 && answer.view() == InterfaceVersion;
}

bool askWhatIs(TWhat_is whatIs)
{
    if (!whatIs)
        return false;
    TShortString answer;
    const std::int32_t result = whatIs(&answer, TShortString::MaxLength);
    return acceptsWhatIsAnswer(result, answer);
}

bool copyLibraryInfo(const TInfoDevice* library, TInfoDevice& host)
{
    if (!library || library->vSModel.length() == 0)
        return false;
    host.vType = library->vType;
    host.vSType = library->vSType;
    host.vSFamily = library->vSFamily;
    TAshortstrings models = library->vSModel.copy();
    host.vSModel.release();
    host.vSModel = models;
    // A deep copy: the library's picture may live in memory the library
    // takes away when it is unloaded.
    QImage* icon = library->vIcon ? new QImage(library->vIcon->copy()) : nullptr;
    delete host.vIcon;
    host.vIcon = icon;
    host.evFileName = library->evFileName;
    // Only the host binds entry points; a library saying otherwise would
    // have the host call unbound ones.
    host.evLoaded = false;
    host.vSDisplayName = library->vSDisplayName;
    return true;
}

TProbeOutcome probeLibrary(const TEntryPoints& entries, TInfoDevice& host)
{
    if (!entries.complete())
        return TProbeOutcome::MissingEntryPoint;
    if (!askWhatIs(entries.What_is))
        return TProbeOutcome::VersionRefused;
    TInfoDevice* description = entries.Get_info_class();
    if (!description)
        return TProbeOutcome::NoDescription;
    const bool copied = copyLibraryInfo(description, host);
    delete description;
    return copied ? TProbeOutcome::Accepted : TProbeOutcome::NoModels;
}

TDevice* createLibraryDevice(const TInfoDevice& info, TWindowHandle hostHandle)
{
    if (!info.evLoaded || !info.Get_Device_class)
        return nullptr;
    return info.Get_Device_class(hostHandle);
}
