#pragma once

// Checks shared by the main program's text table and corvel's.
#include <cstdint>
#include <initializer_list>
#include <set>

#include <QString>

#include <gtest/gtest.h>

namespace twtest {

struct TextCase {
    int32_t id;
    const char* english; // UTF-8
    const char* russian;
};

// lookup(language, id, text) runs the table's lookup in that language.
// Exactly the identifiers in ids give a text in both languages; every other
// identifier from first to last leaves the caller's text alone.
template <typename Lookup>
void expectTableHoldsExactly(const std::set<int32_t>& ids, int32_t first, int32_t last, Lookup lookup)
{
    const QString untouched = QStringLiteral("untouched");
    for (int32_t id = first; id <= last; ++id) {
        for (const int32_t language : {0, 1}) {
            QString text = untouched;
            lookup(language, id, text);
            if (ids.count(id))
                EXPECT_FALSE(text.isEmpty() || text == untouched) << "id " << id << " language " << language;
            else
                EXPECT_EQ(text, untouched) << "id " << id << " language " << language;
        }
    }
}

template <typename Lookup>
QString textIn(Lookup lookup, int32_t language, int32_t textId)
{
    QString text;
    lookup(language, textId, text);
    return text;
}

template <typename Lookup>
void expectTexts(std::initializer_list<TextCase> cases, Lookup lookup)
{
    for (const TextCase& c : cases) {
        EXPECT_EQ(textIn(lookup, 0, c.id), QString::fromUtf8(c.english)) << c.id;
        EXPECT_EQ(textIn(lookup, 1, c.id), QString::fromUtf8(c.russian)) << c.id;
    }
}

} // namespace twtest
