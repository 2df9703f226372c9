#pragma once

// The two per-user settings, shared by zemra and corvel (corvel reads "Lang"
// for its own texts). They live in the INI file
// $XDG_CONFIG_HOME/Veltrona/ZEMRA1.ini as 32-bit integers.
//
// A read that finds no usable value writes the default back and returns it.
// A value that is not a 32-bit integer (text such as "abc", a list, a number
// out of range) counts as missing. Nothing here throws or fails start-up: when
// the file cannot be read or written, reads return the default and writes are
// dropped.
//
// Each call opens the settings afresh, so it always sees the value another
// process (or corvel) has written; the last write wins.
#include <cstdint>

#include <QString>

// Setting ids.
inline constexpr int32_t kLanguageSetting = 0;      // "Lang": 0 English, 1 Russian
inline constexpr int32_t kCheckUpdatesSetting = 10; // "Check_updates_on_startup": 1 or 0

// The setting the access routines work on, filled by SelectRegistryValue.
// Each access routine reads only the default of its own type; the other
// default keeps whatever an earlier selection left there.
struct RegistrySelection {
    QString organization; // together with application: the per-user settings file
    QString application;
    QString valueName;
    bool defaultBool = false;
    int32_t defaultInt = 0;
};

// Fills the current selection for a known setting id; any other id leaves it
// as it was.
void SelectRegistryValue(int32_t settingId);
RegistrySelection CurrentRegistrySelection();

// For an id that names no setting, reads return 0 / false and writes do
// nothing: they never touch a setting that happened to be selected before.
int32_t ReadRegInt(int32_t settingId);
void WriteRegInt(int32_t settingId, int32_t value);
// A stored non-zero integer reads as true; true is stored as 1, false as 0.
bool ReadRegBool(int32_t settingId);
void WriteRegBool(int32_t settingId, bool value);
