#pragma once

// corvel's own bilingual texts: the library's display name, the configuration
// dialog and the descriptions of the configuration bits.
#include <atomic>
#include <cstdint>

#include <QString>

// corvel's language: 0 English, 1 Russian; English until LoadLanguageMC runs.
extern std::atomic<int32_t> LanguageMC;

// LanguageMC := 1 when the shared "Lang" setting is 1, else 0 (a missing
// setting is created as 0). Called whenever corvel describes itself or
// creates a chip device, and at no other time, so an existing device keeps
// the language it was created in.
void LoadLanguageMC();

// Assigns the text of textId in LanguageMC's language; an identifier outside
// the table leaves text as it was.
void GetTextMC(int32_t textId, QString& text);

// The text of textId, or an empty text for an identifier outside the table.
QString GetTextMC(int32_t textId);
