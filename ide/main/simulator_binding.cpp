#include "ide/main/simulator_binding.h"

#include "ide/workbench/shared_library.h"

TDllMCEntries DllMCEntries;
std::atomic<bool> MCULibLoaded{false};

const QStringList& DllMCEntryNames()
{
    static const QStringList names = {
#define TW_DLLMC_ENTRY_NAME(name, result, parameters) QStringLiteral(#name),
        TW_DLLMC_ENTRIES(TW_DLLMC_ENTRY_NAME)
#undef TW_DLLMC_ENTRY_NAME
    };
    return names;
}

TDllMCEntries BindDllMCEntries(void* handle, QStringList* missing)
{
    TDllMCEntries entries;
    auto bind = [&](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(SharedLibrarySymbol(handle, name));
        if (!entry && missing)
            *missing << QString::fromLatin1(name);
    };
#define TW_DLLMC_ENTRY_BIND(name, result, parameters) bind(entries.name, #name);
    TW_DLLMC_ENTRIES(TW_DLLMC_ENTRY_BIND)
#undef TW_DLLMC_ENTRY_BIND
    return entries;
}

void StopSimulation()
{
    if (MCULibLoaded)
        DllMCEntries.Set_rtRunning(0);
}
