#pragma once

// A bilingual text table as data: one row per identifier, kept in ascending
// order of identifier. Shared by the main program's table and corvel's.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include <QString>

struct TextRow {
    int32_t id;
    const char* english; // UTF-8
    const char* russian; // UTF-8
};

template <std::size_t N>
constexpr bool IdsStrictlyAscending(const TextRow (&rows)[N])
{
    for (std::size_t i = 1; i < N; ++i)
        if (rows[i - 1].id >= rows[i].id)
            return false;
    return true;
}

// Assigns the text of textId for language 0 (English) or 1 (Russian); an
// identifier outside the table or another language leaves text as it was.
template <std::size_t N>
void AssignText(const TextRow (&rows)[N], int32_t textId, int32_t language, QString& text)
{
    if (language != 0 && language != 1)
        return;
    const TextRow* row = std::lower_bound(std::begin(rows), std::end(rows), textId,
        [](const TextRow& candidate, int32_t id) { return candidate.id < id; });
    if (row != std::end(rows) && row->id == textId)
        text = QString::fromUtf8(language == 0 ? row->english : row->russian);
}
