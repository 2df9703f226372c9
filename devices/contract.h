// The device contract: the classes, arrays, strings and function types that
// zemra, corvel and every device library share across the dlopen boundary.
//
// Each module compiles its own copy of this header and of contract.cpp, with
// hidden visibility, so each has its own class identities and its own copy of
// every method, and runs that copy on objects the other side created. What
// must agree between separately built modules is therefore only the byte
// layout pinned by the static_asserts at the end, the calling form of the
// function types (plain C on x86-64) and the position of the virtual
// destructor: TObject declares nothing virtual but its destructor, so under
// the Itanium C++ ABI (GCC, Clang) it fills the first vtable slots in every
// module and `delete` on any contract object runs the code of the module that
// created it.
#pragma once

#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>

#include <QtCore/qglobal.h>

QT_FORWARD_DECLARE_CLASS(QImage)
QT_FORWARD_DECLARE_CLASS(QString)
QT_FORWARD_DECLARE_CLASS(QWidget)

class TObject;
class TNode;
class TInfoDevice;
class TDevice;
class TRCPort;

// ---------------------------------------------------------------------------
// Plain values

// A window handle is only ever used as the parent of a library's dialogs.
using TWindowHandle = QWidget*;

// A library's palette icon: a QImage the description owns (made with new),
// or null for none. The host copies it before it unloads the library.
using TIconHandle = QImage*;

// The device picture: a host-owned QImage (Format_ARGB32_Premultiplied) of
// the device's Width by Height pixels that the library paints with QPainter.
using TImage = QImage;

// A pin level in volts; this NaN (sign set, quiet) stands for "not driven".
inline constexpr float NotDrivenLevel = std::bit_cast<float>(std::uint32_t(0xFFC00000u));

enum TMouseButton : std::uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// The shift state passed with mouse actions, one bit per key or button.
using TShiftState = std::uint16_t;
enum : TShiftState {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
    ssTouch = 1u << 7,
    ssPen = 1u << 8,
    ssCommand = 1u << 9,
    ssHorizontal = 1u << 10,
};

// ---------------------------------------------------------------------------
// Short string: a 256-byte record, length byte then UTF-8 bytes. The bytes
// after the counted ones are undefined on the wire; ours are kept zero.

struct TShortString {
    static constexpr int MaxLength = 255;

    std::uint8_t length = 0;
    char chars[MaxLength] = {};

    // The text cut to at most maxLength bytes (clamped to 0..255), never in
    // the middle of a multi-byte sequence.
    static TShortString from(std::string_view utf8, int maxLength = MaxLength);
    static TShortString fromQString(const QString& text, int maxLength = MaxLength);

    std::string_view view() const { return {chars, length}; }
    std::string toStdString() const { return std::string(view()); }
    QString toQString() const;

    // Length and counted bytes only, so case and trailing blanks count.
    friend bool operator==(const TShortString& a, const TShortString& b) { return a.view() == b.view(); }
};

// How many leading bytes of `utf8` fit into maxBytes without cutting a
// multi-byte sequence. Bytes that are not well-formed UTF-8 count singly.
std::size_t utf8FittingLength(std::string_view utf8, std::size_t maxBytes);

// ---------------------------------------------------------------------------
// Dynamic array: one pointer to element 0 (null when empty). The 32-bit
// length stands at byte -4 and the 32-bit reference count at byte -8, where
// the malloc'ed block begins; a count of 0 or less marks a constant array that
// is never freed. Every module uses glibc's malloc/free, so either side may
// release an array the other allocated.
//
// The struct is a plain reference: copying it copies the pointer without
// counting it. assign() shares an array the way an assignment in the contract
// does (count raised, old reference released).

template <typename T>
struct TDynArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements are copied as bytes");
    static_assert(alignof(T) <= 8, "elements start 8 bytes into a malloc'ed block");

    T* ref = nullptr;

    std::int32_t length() const { return ref ? header(ref)->length : 0; }
    bool empty() const { return ref == nullptr; }
    T& operator[](std::int32_t index) const { return ref[index]; }
    T* begin() const { return ref; }
    T* end() const { return ref + length(); }

    // A new array of `count` zeroed elements held by this one reference.
    static TDynArray make(std::int32_t count)
    {
        TDynArray array;
        array.resize(count);
        return array;
    }

    // New elements are zero, existing ones kept; 0 or less releases. A shared
    // or constant array is copied first, so other holders keep what they see.
    void resize(std::int32_t count)
    {
        if (count <= 0) {
            release();
            return;
        }
        const std::size_t bytes = sizeof(Header) + std::size_t(count) * sizeof(T);
        const std::int32_t old = length();
        if (ref && refCount(ref).load() == 1) {
            void* block = std::realloc(header(ref), bytes);
            if (!block)
                throw std::bad_alloc();
            ref = elementsOf(block);
        } else {
            void* block = std::malloc(bytes);
            if (!block)
                throw std::bad_alloc();
            Header* fresh = static_cast<Header*>(block);
            fresh->refCount = 1;
            if (ref)
                std::memcpy(static_cast<void*>(elementsOf(block)), ref,
                            std::size_t(old < count ? old : count) * sizeof(T));
            release();
            ref = elementsOf(block);
        }
        if (count > old)
            std::memset(static_cast<void*>(ref + old), 0, std::size_t(count - old) * sizeof(T));
        header(ref)->length = count;
    }

    // Drops this reference; the block is freed with the last counted one.
    void release()
    {
        if (!ref)
            return;
        T* elements = ref;
        ref = nullptr;
        if (refCount(elements).load() > 0 && refCount(elements).fetch_sub(1) == 1)
            std::free(header(elements));
    }

    // Shares `other` (its count raised unless it is constant).
    void assign(TDynArray other)
    {
        if (other.ref && refCount(other.ref).load() > 0)
            refCount(other.ref).fetch_add(1);
        release();
        ref = other.ref;
    }

    // A counted array of the same elements that this reference alone holds.
    TDynArray copy() const
    {
        TDynArray array = make(length());
        if (ref)
            std::memcpy(static_cast<void*>(array.ref), ref, std::size_t(length()) * sizeof(T));
        return array;
    }

private:
    struct Header {
        std::int32_t refCount;
        std::int32_t length;
    };
    static_assert(sizeof(Header) == 8);

    static Header* header(T* elements)
    {
        return reinterpret_cast<Header*>(reinterpret_cast<char*>(elements) - sizeof(Header));
    }
    static T* elementsOf(void* block) { return reinterpret_cast<T*>(static_cast<char*>(block) + sizeof(Header)); }
    static std::atomic_ref<std::int32_t> refCount(T* elements) { return std::atomic_ref(header(elements)->refCount); }
};

using TResStack = TDynArray<bool>;            // bit vector, bit 0 first
using TRCPorts = TDynArray<TRCPort*>;         // a device's pins; a node's member pins
using TDevices = TDynArray<TDevice*>;         // the host's placed devices
using TNodes = TDynArray<TNode*>;             // the host's nodes
using TArrayChar = TDynArray<char>;           // a device's saved settings
using TAshortstrings = TDynArray<TShortString>; // a library's model list

// ---------------------------------------------------------------------------
// Callbacks: plain functions of the device library. The first argument is the
// object the call is made for (the device, or the pin for a level).

extern "C" {
typedef void (*TBackProcDraw)(TObject* sender, bool isRunning, long double runningTime);
typedef void (*TBackClick)(TObject* sender);
typedef void (*TBackMouseDown)(TObject* sender, TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y);
typedef void (*TBackMouseMove)(TObject* sender, TShiftState shift, std::int32_t x, std::int32_t y);
typedef void (*TBackMouseUp)(TObject* sender, TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y);
typedef void (*TBackDblClick)(TObject* sender);
typedef void (*TBackShowSettings)(TObject* sender);
typedef void (*TBackApplySaveData)(TObject* sender);
typedef float (*TBackProcGetLevel)(TObject* pin);

// The three exports of a device library, bound by these names.
typedef std::int32_t (*TWhat_is)(TShortString* dest, std::int32_t maxLen);
typedef TInfoDevice* (*TGet_info_class)();
typedef TDevice* (*TGet_Device_class)(TWindowHandle hostHandle);
}

// ---------------------------------------------------------------------------
// Classes

// The one polymorphic root: byte 0 of every contract object is its vtable.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject();
};

// An electrical node joining pins; created and freed by the host. Freeing it
// leaves its pins alone.
class TNode : public TObject {
public:
    ~TNode() override;

    // Mean of the levels of the pins that can drive the node, NaN when none does.
    float GetLevel() const;

    // The same mean with levelOf(pin) asked for each pin that can drive the
    // node in place of its level callback: a library that knows some of the
    // pins better than through their callback (its own) still averages
    // exactly as GetLevel does.
    template <typename LevelOf>
    float MeanLevel(LevelOf levelOf) const;

    TRCPorts Ports;
};

// The description of one device library. The v fields come from the library,
// the ev fields and the entry points are the host's.
class TInfoDevice : public TObject {
public:
    ~TInfoDevice() override;

    std::uint8_t vType = 0; // 0: microcontroller library; other: peripheral devices
    TShortString vSType;
    TShortString vSFamily;
    TAshortstrings vSModel;
    TShortString vSDisplayName;
    TIconHandle vIcon = nullptr;
    TShortString evFileName;
    bool evLoaded = false;
    void* evLibHandle = nullptr;
    TGet_info_class Get_info_class = nullptr;
    TGet_Device_class Get_Device_class = nullptr;
    TWhat_is What_is = nullptr;
};

// One placed device, created by its library and freed by the host.
class TDevice : public TObject {
public:
    TDevice(std::int32_t internalIndex, std::int32_t width, std::int32_t height, std::uint8_t devType,
            const TShortString& rcType, const TShortString& rcFamily, const TShortString& rcModel,
            std::int32_t numberOfPorts, TBackProcDraw backProcDraw, TBackClick backClick, bool enabledClick,
            TBackMouseDown backMD, bool enabledMD, TBackMouseMove backMM, bool enabledMM, TBackMouseUp backMU,
            bool enabledMU, TBackDblClick backDblClick, bool enabledDblClick, TBackShowSettings backShowSettings,
            bool enabledShowSettings, TBackApplySaveData backApplySaveData, TWindowHandle origHandle,
            TWindowHandle hostHandle);
    // Frees every pin that Port holds, then the device.
    ~TDevice() override;

    // Appends pin number Port.length(); PortsCount stays as created.
    TRCPort* AddPort(const TShortString& portName, std::uint8_t direction, bool digital, float level,
                     TBackProcGetLevel backProcGetLevel);

    // Forward to the library's callbacks; a missing callback does nothing.
    void DrawImage(bool isRunning, long double runningTime);
    void Click();
    void DblClick();
    void ShowSettings();
    void ApplySettings();
    void MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y);
    void MouseMove(TShiftState shift, std::int32_t x, std::int32_t y);
    void MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y);

    std::uint8_t DevType() const { return fDevType; }
    TArrayChar SaveData() const { return fSaveData; }
    // Stores a shared reference to `value`; the caller still releases its own.
    void setSaveData(TArrayChar value) { fSaveData.assign(value); }
    std::int32_t LenSaveData() const { return fSaveData.length(); }
    void setLenSaveData(std::int32_t length) { fSaveData.resize(length); }
    const TShortString& RCType() const { return fRCType; }
    const TShortString& RCFamily() const { return fRCFamily; }
    const TShortString& RCModel() const { return fRCModel; }
    const TShortString& RCShowName() const { return fRCShowName; }
    std::int32_t PortsCount() const { return fPortsCount; }
    TImage* Image() const { return fImage; }
    void setImage(TImage* image) { fImage = image; }
    TWindowHandle HostHandle() const { return fHostHandle; }
    TWindowHandle OrigHandle() const { return fOrigHandle; }
    std::int32_t Width() const { return fWidth; }
    std::int32_t Height() const { return fHeight; }
    bool AssignedBackClick() const { return fAssignedBackClick; }
    bool AssignedBackMD() const { return fAssignedBackMD; }
    bool AssignedBackMM() const { return fAssignedBackMM; }
    bool AssignedBackMU() const { return fAssignedBackMU; }
    bool AssignedBackDblClick() const { return fAssignedBackDblClick; }
    bool AssignedShowSettings() const { return fAssignedShowSettings; }

private:
    friend struct TContractLayout;

    std::uint8_t fDevType;
    TShortString fRCType;
    TShortString fRCFamily;
    TShortString fRCModel;
    TShortString fRCShowName; // nobody sets it; it stays empty
    std::int32_t fPortsCount;
    TImage* fImage = nullptr;
    std::int32_t fWidth;
    std::int32_t fHeight;
    TArrayChar fSaveData;
    TWindowHandle fHostHandle;
    TWindowHandle fOrigHandle;
    TBackProcDraw fBackProcDraw;
    TBackClick fBackClick;
    TBackMouseDown fBackMD;
    TBackMouseMove fBackMM;
    TBackMouseUp fBackMU;
    TBackDblClick fBackDblClick;
    TBackShowSettings fBackShowSettings;
    TBackApplySaveData fBackApplySaveData;
    bool fAssignedBackClick;
    bool fAssignedBackMD;
    bool fAssignedBackMM;
    bool fAssignedBackMU;
    bool fAssignedBackDblClick;
    bool fAssignedShowSettings;

public:
    TRCPorts Port;               // the pins in pin order; PortNo is the index here
    std::int32_t x_img_XX = 0;   // host scratch: where a drag grabbed the picture
    std::int32_t x_img_YY = 0;
    std::int32_t InternalIndex;  // the library's own number for the device
};

// One pin of a device.
class TRCPort : public TObject {
public:
    TRCPort(const TShortString& portName, std::uint8_t direction, bool digital, float level,
            TBackProcGetLevel backProcGetLevel, std::int32_t portNo);

    // What the library's level callback says, with no fall-back to the
    // default level; NaN when the pin has no callback.
    float GetLevel();

    const TShortString& PortName() const { return fPortName; }
    std::int32_t PortNo() const { return fPortNo; }
    // 2 or more: the pin can drive its node; below 2 it only reads it.
    std::uint8_t Direction() const { return fDirection; }
    bool Digital() const { return fDigital; }
    float DefaultLevel() const { return fDefaultLevel; }
    float Level() const { return fLevel; }

private:
    friend struct TContractLayout;

    TShortString fPortName;
    std::uint8_t fDirection;
    bool fDigital;
    float fLevel = 0.0f; // never written; kept for the layout
    TBackProcGetLevel fBackProcGetLevel;
    float fDefaultLevel;
    std::int32_t fPortNo;

public:
    TNode* Node = nullptr;     // where the host wired the pin; null when unconnected
    TDevice* Device = nullptr; // the device the pin belongs to
};

template <typename LevelOf>
float TNode::MeanLevel(LevelOf levelOf) const
{
    // Summed in single precision like every level; an infinite level is a
    // level, only NaN (not driven) is left out.
    float sum = 0.0f;
    std::int32_t count = 0;
    for (TRCPort* pin : Ports) {
        if (pin->Direction() < 2)
            continue;
        const float level = levelOf(pin);
        if (std::isnan(level))
            continue;
        sum += level;
        ++count;
    }
    return count == 0 ? NotDrivenLevel : sum / float(count);
}

// ---------------------------------------------------------------------------
// The library side of the entry points

inline constexpr std::string_view InterfaceVersion = "1.0";

// What a library's What_is does: the interface version into *dest, cut to
// maxLen characters; returns 0 (negative, writing nothing, for a null dest).
std::int32_t answerWhatIs(TShortString* dest, std::int32_t maxLen);

// ---------------------------------------------------------------------------
// The host side of the entry points

// The three exports of a loaded library, looked up by their exact names.
struct TEntryPoints {
    TWhat_is What_is = nullptr;
    TGet_info_class Get_info_class = nullptr;
    TGet_Device_class Get_Device_class = nullptr;

    bool complete() const { return What_is && Get_info_class && Get_Device_class; }
};

// dlsym of the three names in a dlopen handle; missing ones stay null.
TEntryPoints bindEntryPoints(void* libraryHandle);

// A What_is answer is accepted only with a result of 0 or more and exactly the
// three bytes "1.0": a trailing blank, a fourth character or a shorter
// answer is refused.
bool acceptsWhatIsAnswer(std::int32_t result, const TShortString& answer);

// Asks What_is with a 256-byte buffer and 255 and judges the answer.
bool askWhatIs(TWhat_is whatIs);

// Copies a library's description into the host's own object, field by field
// (vType, vSType, vSFamily, every vSModel entry, vIcon as a deep copy,
// evFileName, vSDisplayName). evLoaded is set false whatever the library
// says: it is the host's own record of bound entry points. A null
// description or one without models is refused and leaves `host` unchanged.
bool copyLibraryInfo(const TInfoDevice* library, TInfoDevice& host);

enum class TProbeOutcome {
    Accepted,
    MissingEntryPoint, // not all three names are exported
    VersionRefused,    // What_is refused or answered another version
    NoDescription,     // Get_info_class returned null
    NoModels,          // the description lists no model
};

// The probe of a freshly loaded library: version check, Get_info_class, copy
// into `host`, then the library's description freed by the library's own
// destructor. `host` changes only when the outcome is Accepted.
TProbeOutcome probeLibrary(const TEntryPoints& entries, TInfoDevice& host);

// A new device from a bound description's Get_Device_class; null when the
// entry points are not bound or the library returned no device.
TDevice* createLibraryDevice(const TInfoDevice& info, TWindowHandle hostHandle);

// ---------------------------------------------------------------------------
// The binary layout on x86-64. These numbers are the interface between
// separately built modules: change none of them.

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
struct TContractLayout {
    static_assert(sizeof(void*) == 8 && sizeof(long double) == 16, "the layout is fixed for x86-64");
    static_assert(sizeof(bool) == 1);

    static_assert(sizeof(TShortString) == 256 && alignof(TShortString) == 1);
    static_assert(offsetof(TShortString, chars) == 1);
    static_assert(sizeof(TArrayChar) == 8 && std::is_standard_layout_v<TArrayChar>);
    static_assert(sizeof(TRCPorts) == 8 && sizeof(TAshortstrings) == 8 && sizeof(TResStack) == 8);

    static_assert(sizeof(TObject) == 8);

    static_assert(offsetof(TNode, Ports) == 8);
    static_assert(sizeof(TNode) == 16);

    static_assert(offsetof(TInfoDevice, vType) == 8);
    static_assert(offsetof(TInfoDevice, vSType) == 9);
    static_assert(offsetof(TInfoDevice, vSFamily) == 265);
    static_assert(offsetof(TInfoDevice, vSModel) == 528);
    static_assert(offsetof(TInfoDevice, vSDisplayName) == 536);
    static_assert(offsetof(TInfoDevice, vIcon) == 792);
    static_assert(offsetof(TInfoDevice, evFileName) == 800);
    static_assert(offsetof(TInfoDevice, evLoaded) == 1056);
    static_assert(offsetof(TInfoDevice, evLibHandle) == 1064);
    static_assert(offsetof(TInfoDevice, Get_info_class) == 1072);
    static_assert(offsetof(TInfoDevice, Get_Device_class) == 1080);
    static_assert(offsetof(TInfoDevice, What_is) == 1088);
    static_assert(sizeof(TInfoDevice) == 1096);

    static_assert(offsetof(TDevice, fDevType) == 8);
    static_assert(offsetof(TDevice, fRCType) == 9);
    static_assert(offsetof(TDevice, fRCFamily) == 265);
    static_assert(offsetof(TDevice, fRCModel) == 521);
    static_assert(offsetof(TDevice, fRCShowName) == 777);
    static_assert(offsetof(TDevice, fPortsCount) == 1036);
    static_assert(offsetof(TDevice, fImage) == 1040);
    static_assert(offsetof(TDevice, fWidth) == 1048);
    static_assert(offsetof(TDevice, fHeight) == 1052);
    static_assert(offsetof(TDevice, fSaveData) == 1056);
    static_assert(offsetof(TDevice, fHostHandle) == 1064);
    static_assert(offsetof(TDevice, fOrigHandle) == 1072);
    static_assert(offsetof(TDevice, fBackProcDraw) == 1080);
    static_assert(offsetof(TDevice, fBackClick) == 1088);
    static_assert(offsetof(TDevice, fBackMD) == 1096);
    static_assert(offsetof(TDevice, fBackMM) == 1104);
    static_assert(offsetof(TDevice, fBackMU) == 1112);
    static_assert(offsetof(TDevice, fBackDblClick) == 1120);
    static_assert(offsetof(TDevice, fBackShowSettings) == 1128);
    static_assert(offsetof(TDevice, fBackApplySaveData) == 1136);
    static_assert(offsetof(TDevice, fAssignedBackClick) == 1144);
    static_assert(offsetof(TDevice, fAssignedBackMD) == 1145);
    static_assert(offsetof(TDevice, fAssignedBackMM) == 1146);
    static_assert(offsetof(TDevice, fAssignedBackMU) == 1147);
    static_assert(offsetof(TDevice, fAssignedBackDblClick) == 1148);
    static_assert(offsetof(TDevice, fAssignedShowSettings) == 1149);
    static_assert(offsetof(TDevice, Port) == 1152);
    static_assert(offsetof(TDevice, x_img_XX) == 1160);
    static_assert(offsetof(TDevice, x_img_YY) == 1164);
    static_assert(offsetof(TDevice, InternalIndex) == 1168);
    static_assert(sizeof(TDevice) == 1176);

    static_assert(offsetof(TRCPort, fPortName) == 8);
    static_assert(offsetof(TRCPort, fDirection) == 264);
    static_assert(offsetof(TRCPort, fDigital) == 265);
    static_assert(offsetof(TRCPort, fLevel) == 268);
    static_assert(offsetof(TRCPort, fBackProcGetLevel) == 272);
    static_assert(offsetof(TRCPort, fDefaultLevel) == 280);
    static_assert(offsetof(TRCPort, fPortNo) == 284);
    static_assert(offsetof(TRCPort, Node) == 288);
    static_assert(offsetof(TRCPort, Device) == 296);
    static_assert(sizeof(TRCPort) == 304);
};
#pragma GCC diagnostic pop
