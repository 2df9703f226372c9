#include "ide/workbench/shared_library.h"

#include <dlfcn.h>

#include <QFile>
#include <QFileInfo>

void* LoadSharedLibrary(const QString& path, QString* error)
{
    const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    dlerror();
    void* handle = dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error) {
        const char* reason = dlerror();
        *error = reason ? QString::fromLocal8Bit(reason) : QString();
    }
    return handle;
}

void* SharedLibrarySymbol(void* handle, const char* name)
{
    return handle ? dlsym(handle, name) : nullptr;
}

void UnloadSharedLibrary(void* handle)
{
    if (handle)
        dlclose(handle);
}
