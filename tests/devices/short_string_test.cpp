// Short strings carry UTF-8: the cut to a maximum never splits a character.
#include <ostream>
#include <string>

#include <QString>
#include <gtest/gtest.h>

#include "devices/contract.h"

namespace short_string_test {
namespace {

struct CutCase {
    const char* name;
    std::string text;
    int maxLength;
    std::string expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CutCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShortStringCut : public testing::TestWithParam<CutCase> {};

TEST_P(ShortStringCut, KeepsWholeCharacters)
{
    const CutCase& c = GetParam();
    const TShortString s = TShortString::from(c.text, c.maxLength);
    EXPECT_EQ(s.length, c.expected.size());
    EXPECT_EQ(s.toStdString(), c.expected);
}

const std::string ae = "\xC3\xA4";           // ä, two bytes
const std::string euro = "\xE2\x82\xAC";     // €, three bytes
const std::string clef = "\xF0\x9D\x84\x9E"; // 𝄞, four bytes

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortStringCut,
    testing::Values(
        CutCase{"ascii_fits", "GP2/T0CKI/Fosc4", 255, "GP2/T0CKI/Fosc4"},
        CutCase{"ascii_cut", "1.0", 2, "1."},
        CutCase{"zero_max", "abc", 0, ""},
        CutCase{"negative_max", "abc", -3, ""},
        CutCase{"max_above_255_clamped", std::string(300, 'x'), 1000, std::string(255, 'x')},
        CutCase{"two_byte_whole", "a" + ae, 3, "a" + ae},
        CutCase{"two_byte_split", "a" + ae, 2, "a"},
        CutCase{"three_byte_split_after_one", "ab" + euro, 3, "ab"},
        CutCase{"three_byte_split_after_two", "ab" + euro, 4, "ab"},
        CutCase{"three_byte_whole", "ab" + euro + "c", 5, "ab" + euro},
        CutCase{"four_byte_split", clef + clef, 7, clef},
        CutCase{"four_byte_whole", clef + clef, 8, clef + clef},
        CutCase{"at_255_before_multibyte", std::string(254, 'x') + euro, 255, std::string(254, 'x')},
        CutCase{"stray_continuation_bytes_cut_singly", "ab\x80\x80\x80\x80", 4, "ab\x80\x80"},
        CutCase{"lone_lead_byte_cut_singly", "ab\xC3" "c", 3, "ab\xC3"}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST(ShortString, IsA256ByteRecordWithTheLengthFirst)
{
    const TShortString s = TShortString::from("RA0");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&s);
    EXPECT_EQ(sizeof s, 256u);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 1), 3), "RA0");
}

TEST(ShortString, RoundTripsThroughQString)
{
    const QString text = QStringLiteral("Größe 5 €");
    const TShortString s = TShortString::fromQString(text);
    EXPECT_EQ(s.length, text.toUtf8().size());
    EXPECT_EQ(s.toQString(), text);
    EXPECT_EQ(TShortString::fromQString(text, 4).toQString(), QStringLiteral("Grö"));
}

TEST(ShortString, ComparesCountedBytesOnly)
{
    TShortString a = TShortString::from("abc");
    TShortString b = TShortString::from("abcdef");
    b.length = 3;
    EXPECT_EQ(a, b);
    EXPECT_NE(TShortString::from("abc"), TShortString::from("abc "));
    EXPECT_NE(TShortString::from("abc"), TShortString::from("ABC"));
}

} // namespace

} // namespace short_string_test
