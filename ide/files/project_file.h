#pragma once

// The project file (".ZEMRA") as bytes: a pure codec between the file and a
// description of the project. Windows, libraries and devices are the
// caller's: it asks each peripheral's port count through a callback and
// applies the description itself.
//
// Layout, little-endian, no padding: the signature "ZEMRAprojectXE1.0" and
// the tag "ASM" as UTF-16 code units; the source length N in UTF-16 code
// units and the source; the tag "DED"; the number of device records minus
// one; the records. A record holds the kind byte; type, family and model each
// as a length byte and a 256-byte short-string image; X, Y; the save-data
// size S and S bytes; and, in every record after the first, one entry per
// port: 0 for an unconnected port, or the length of the node's name followed
// by the name's 256-byte image.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

// The fixed message for a file that is not a sound project file.
inline constexpr char kInvalidFileText[] = "Invalid file";

struct TProjectDevice {
    std::uint8_t kind = 0;
    // Short-string texts as stored: at most 255 bytes each.
    QByteArray type;
    QByteArray family;
    QByteArray model;
    std::int32_t x = 0;
    std::int32_t y = 0;
    QByteArray saveData;
    // Peripherals only, one per port in port order: the name of the first
    // port of the node the port is wired to, or nothing when unconnected.
    std::vector<std::optional<QByteArray>> ports;

    bool operator==(const TProjectDevice&) const = default;
};

struct TProjectDescription {
    // The editor's text, lines separated by CR LF.
    QString source;
    // The microcontroller first, then the peripherals.
    std::vector<TProjectDevice> devices;

    bool operator==(const TProjectDescription&) const = default;
};

enum class TProjectFault {
    None,
    Unreadable,    // the file could not be opened or read
    Signature,     // the first 34 bytes are not the signature
    SourceTag,     // no "ASM" after the signature
    SourceLength,  // N negative or beyond the end of the file
    DeviceTag,     // no "DED" after the source
    DeviceCount,   // no device record, or more than the file can hold
    Truncated,     // a record or port entry runs past the end of the file
    SecondChip,    // a record after the first has the microcontroller's kind 0
    ChipSaveData,  // the microcontroller's save data is short or its frequency not nine digits
};

// The number of ports of the device its library creates for a peripheral
// record, or nothing when no device can be made for it.
using TPortCountQuery = std::function<std::optional<std::int32_t>(const TProjectDevice& record)>;

struct TProjectReadResult {
    TProjectFault fault = TProjectFault::None;
    TProjectDescription project;
    // The peripheral record for which no device could be made (its save data
    // read, no port entries): reading stopped there, and project.devices
    // holds the records before it.
    std::optional<TProjectDevice> unmadeDevice;

    bool ok() const { return fault == TProjectFault::None; }
};

// The file bytes of a project. Texts longer than 255 bytes are cut without
// splitting a UTF-8 sequence; a connected port whose node name is empty is
// written as unconnected, since a reader could not tell it from one.
QByteArray EncodeProject(const TProjectDescription& project);

// Reads a project file's bytes. Every count and size is checked against what
// remains before anything is read or reserved; portCount is asked only for
// records after the first, and only for peripherals (a project has one
// microcontroller). Bytes after the last record are ignored.
TProjectReadResult DecodeProject(const QByteArray& bytes, const TPortCountQuery& portCount);

// The source section's text for the editor's lines, joined with CR LF.
QString SourceTextFromLines(const QStringList& lines);
// The lines of a source text, whether they end in CR LF, LF or CR.
QStringList SourceLinesFromText(const QString& text);

// The microcontroller's save data is the 23-character record of the chip
// device: configuration bits, the user-frequency flag, nine frequency digits
// and the unknown-bit value.
bool IsSoundChipSaveData(const QByteArray& saveData);

// Reads fileName and decodes it; a file that cannot be read gives
// TProjectFault::Unreadable with *error holding the platform's reason.
TProjectReadResult ReadProjectFile(const QString& fileName, const TPortCountQuery& portCount,
    QString* error = nullptr);

// Writes the project so that the old file is replaced only once the new one
// is complete; false (and *error) when it could not be written.
bool WriteProjectFile(const QString& fileName, const TProjectDescription& project, QString* error = nullptr);
