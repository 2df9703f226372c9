#pragma once

// The one place the main program opens shared libraries: device libraries and
// corvel alike go through these three calls.
#include <QString>

// dlopen of the file's absolute path with RTLD_NOW | RTLD_LOCAL (an absolute
// path, so the loader never searches its own folders for a bare name).
// Null when the loader refuses the file; *error then holds its reason.
void* LoadSharedLibrary(const QString& path, QString* error = nullptr);

// dlsym: the exported symbol of exactly that name, or null.
void* SharedLibrarySymbol(void* handle, const char* name);

// dlclose; a null handle is ignored.
void UnloadSharedLibrary(void* handle);
