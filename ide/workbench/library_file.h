#pragma once

// What a file found by the device-library search is, judged from its bytes
// alone: nothing of it is loaded or run.
#include <QString>

enum class TLibraryFileKind {
    NotALibrary,        // not an ELF shared object for this machine (or unreadable)
    MissingEntryPoints, // a shared object that does not export all three entry points
    DeviceLibrary,      // a shared object exporting What_is, Get_info_class and Get_Device_class
};

// Reads the ELF header (class, byte order, type, machine) and the dynamic
// symbol table. An entry point counts when it is a defined, globally visible
// function of that exact name, which is what dlsym would find.
TLibraryFileKind InspectLibraryFile(const QString& path);
