#pragma once

// The main program's bilingual text table. Every user-visible text comes from
// here by identifier, in the current interface language.
#include <atomic>
#include <cstdint>

#include <QString>

// The interface language: 0 English, 1 Russian. English until
// LoadLanguageSetting first runs. Written on the main thread only; atomic
// because the update check reads texts on its own thread.
extern std::atomic<int32_t> Language;

// Language := the "Lang" setting, where any value other than 0 and 1 means
// English. Run before any window is created and after the language is changed.
void LoadLanguageSetting();

// Assigns the text of textId in the current language; an identifier outside
// the table leaves text as it was.
void GetText(int32_t textId, QString& text);

// The text of textId, or an empty text for an identifier outside the table.
QString GetText(int32_t textId);
