#pragma once

// What a file found by the device-library search is, judged from its bytes
// alone: nothing of it is loaded or run.
#include <cstdint>

#include <QString>

enum class TLibraryFileKind {
    NotALibrary,        // not an ELF shared object for this machine (or unreadable)
    MissingEntryPoints, // a shared object that does not export all three entry points
    DeviceLibrary,      // a shared object exporting What_is, Get_info_class and Get_Device_class
};

// What one inspection cost. Every file of the program's folder is inspected
// at start-up, so the work must stay proportional to the file's size
// whatever its bytes say.
struct TLibraryFileWork {
    std::uint64_t bytesRead = 0;     // bytes read from the file
    std::uint64_t entriesSeen = 0;   // section headers and symbols looked at
    std::uint64_t nameBytesSeen = 0; // bytes of symbol names compared
};

// The most an inspection reads from one file; a file whose symbol tables
// need more is refused as not a library (real device libraries need a small
// fraction of it).
inline constexpr std::uint64_t kLibraryFileReadLimit = 64u << 20;

// Reads the ELF header (class, byte order, type, machine) and the dynamic
// symbol table. An entry point counts when it is a defined, globally visible
// function of that exact name, which is what dlsym would find. `work`, when
// given, receives what the inspection examined.
TLibraryFileKind InspectLibraryFile(const QString& path, TLibraryFileWork* work = nullptr);
