// Per-user settings shared by zemra and corvel.
#include "ide/texts/settings.h"

#include <limits>
#include <mutex>
#include <optional>

#include <QSettings>
#include <QVariant>

namespace {

std::mutex selectionMutex;
RegistrySelection selection;

bool IsKnownSetting(int32_t settingId)
{
    return settingId == kLanguageSetting || settingId == kCheckUpdatesSetting;
}

void SelectLocked(int32_t settingId)
{
    if (!IsKnownSetting(settingId))
        return;
    selection.organization = QStringLiteral("Veltrona");
    selection.application = QStringLiteral("ZEMRA1");
    if (settingId == kLanguageSetting) {
        selection.valueName = QStringLiteral("Lang");
        selection.defaultInt = 0;
    } else {
        selection.valueName = QStringLiteral("Check_updates_on_startup");
        selection.defaultBool = true;
    }
}

// The stored value as a 32-bit integer, or nothing when it is missing or of
// another kind. The INI file keeps no types, so a number comes back as text.
std::optional<int32_t> StoredInteger(const QVariant& stored)
{
    bool ok = false;
    qlonglong value = 0;
    switch (stored.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        value = stored.toString().toLongLong(&ok, 10);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        value = stored.toLongLong(&ok);
        break;
    default:
        return std::nullopt;
    }
    if (!ok || value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return int32_t(value);
}

// Runs access on a settings object opened for the selected setting; every
// call opens the file afresh so that it sees the live value.
template <typename Access>
auto WithSelectedSetting(int32_t settingId, Access access)
{
    std::lock_guard lock(selectionMutex);
    SelectLocked(settingId);
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, selection.organization, selection.application);
    return access(settings, selection);
}

void StoreInteger(QSettings& settings, const QString& valueName, int32_t value)
{
    settings.setValue(valueName, value);
    // A file that cannot be written leaves the status at AccessError; the
    // value is then simply not kept, which must not stop the program.
    settings.sync();
}

} // namespace

void SelectRegistryValue(int32_t settingId)
{
    std::lock_guard lock(selectionMutex);
    SelectLocked(settingId);
}

RegistrySelection CurrentRegistrySelection()
{
    std::lock_guard lock(selectionMutex);
    return selection;
}

int32_t ReadRegInt(int32_t settingId)
{
    if (!IsKnownSetting(settingId))
        return 0;
    return WithSelectedSetting(settingId, [](QSettings& settings, const RegistrySelection& selected) {
        if (const auto stored = StoredInteger(settings.value(selected.valueName)))
            return *stored;
        StoreInteger(settings, selected.valueName, selected.defaultInt);
        return selected.defaultInt;
    });
}

void WriteRegInt(int32_t settingId, int32_t value)
{
    if (!IsKnownSetting(settingId))
        return;
    WithSelectedSetting(settingId, [value](QSettings& settings, const RegistrySelection& selected) {
        StoreInteger(settings, selected.valueName, value);
    });
}

bool ReadRegBool(int32_t settingId)
{
    if (!IsKnownSetting(settingId))
        return false;
    return WithSelectedSetting(settingId, [](QSettings& settings, const RegistrySelection& selected) {
        if (const auto stored = StoredInteger(settings.value(selected.valueName)))
            return *stored != 0;
        StoreInteger(settings, selected.valueName, selected.defaultBool ? 1 : 0);
        return selected.defaultBool;
    });
}

void WriteRegBool(int32_t settingId, bool value)
{
    WriteRegInt(settingId, value ? 1 : 0);
}
