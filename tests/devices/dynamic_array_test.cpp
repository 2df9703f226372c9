// Dynamic arrays as other modules see them: the bytes around element 0, the
// counting that lets two modules share one block, and constant arrays.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "devices/contract.h"

namespace dynamic_array_test {
namespace {

std::int32_t rawLength(const void* elements)
{
    std::int32_t value;
    std::memcpy(&value, static_cast<const char*>(elements) - 4, 4);
    return value;
}

std::int32_t rawCount(const void* elements)
{
    std::int32_t value;
    std::memcpy(&value, static_cast<const char*>(elements) - 8, 4);
    return value;
}

TEST(DynamicArray, EmptyIsNullWithLengthZero)
{
    TArrayChar array;
    EXPECT_EQ(array.ref, nullptr);
    EXPECT_EQ(array.length(), 0);
    EXPECT_EQ(array.begin(), array.end());
    array.release();
    array.resize(0);
    EXPECT_EQ(array.ref, nullptr);
}

TEST(DynamicArray, LengthAndCountStandBeforeElementZero)
{
    TRCPorts array = TRCPorts::make(5);
    ASSERT_NE(array.ref, nullptr);
    EXPECT_EQ(rawLength(array.ref), 5);
    EXPECT_EQ(rawCount(array.ref), 1);
    for (TRCPort* element : array)
        EXPECT_EQ(element, nullptr);
    array.release();
    EXPECT_EQ(array.ref, nullptr);
}

TEST(DynamicArray, ResizeKeepsContentAndZeroesNewElements)
{
    TArrayChar array = TArrayChar::make(3);
    std::memcpy(array.begin(), "abc", 3);
    array.resize(40);
    ASSERT_EQ(rawLength(array.ref), 40);
    EXPECT_EQ(std::string(array.begin(), 3), "abc");
    for (std::int32_t i = 3; i < 40; ++i)
        EXPECT_EQ(array[i], 0) << i;
    array.resize(2);
    EXPECT_EQ(std::string(array.begin(), array.end()), "ab");
    array.resize(4);
    EXPECT_EQ(std::string(array.begin(), array.end()), std::string("ab\0\0", 4));
    array.resize(0);
    EXPECT_EQ(array.ref, nullptr);
}

TEST(DynamicArray, ShortStringElementsAre256BytesApart)
{
    TAshortstrings models = TAshortstrings::make(2);
    models[1] = TShortString::from("PIC16F54");
    const auto* bytes = reinterpret_cast<const unsigned char*>(models.ref);
    EXPECT_EQ(bytes[256], 8);
    EXPECT_EQ(std::memcmp(bytes + 257, "PIC16F54", 8), 0);
    EXPECT_EQ(bytes[0], 0);
    models.release();
}

TEST(DynamicArray, SharedArrayLivesUntilTheLastHolderReleases)
{
    TArrayChar first = TArrayChar::make(2);
    first[0] = 'x';
    TArrayChar second;
    second.assign(first);
    EXPECT_EQ(second.ref, first.ref);
    EXPECT_EQ(rawCount(first.ref), 2);
    first.release();
    EXPECT_EQ(rawCount(second.ref), 1);
    EXPECT_EQ(second[0], 'x');
    second.release();
}

TEST(DynamicArray, ResizingASharedArrayLeavesTheOtherHolderAlone)
{
    TArrayChar first = TArrayChar::make(2);
    std::memcpy(first.begin(), "ok", 2);
    TArrayChar second;
    second.assign(first);
    second.resize(3);
    second[0] = 'O';
    EXPECT_NE(second.ref, first.ref);
    EXPECT_EQ(std::string(first.begin(), first.end()), "ok");
    EXPECT_EQ(rawCount(first.ref), 1);
    EXPECT_EQ(std::string(second.begin(), second.end()), std::string("Ok\0", 3));
    first.release();
    second.release();
}

TEST(DynamicArray, AssigningTheHeldArrayToItselfKeepsIt)
{
    TArrayChar array = TArrayChar::make(1);
    array.assign(array);
    ASSERT_NE(array.ref, nullptr);
    EXPECT_EQ(rawCount(array.ref), 1);
    array.release();
}

// A block laid out by hand the way a compiler lays out a constant array: a
// count of 0 or less, then the length, then the elements.
TEST(DynamicArray, ConstantArrayIsNeverFreedOrWritten)
{
    for (std::int32_t count : {0, -1}) {
        auto* block = static_cast<std::int32_t*>(std::malloc(12));
        block[0] = count;
        block[1] = 3;
        char* elements = reinterpret_cast<char*>(block + 2);
        std::memcpy(elements, "abc", 3);

        TArrayChar array{elements};
        EXPECT_EQ(array.length(), 3);
        TArrayChar shared;
        shared.assign(array);
        EXPECT_EQ(block[0], count);
        shared.release();
        array.resize(4); // must copy, not realloc a block it does not own
        EXPECT_NE(array.ref, elements);
        EXPECT_EQ(std::string(array.begin(), array.end()), std::string("abc\0", 4));
        array.release();
        EXPECT_EQ(block[0], count);
        EXPECT_EQ(std::string(elements, 3), "abc");
        std::free(block); // still ours: a second free would show under valgrind
    }
}

TEST(DynamicArray, CopyIsIndependent)
{
    TResStack bits = TResStack::make(3);
    bits[1] = true;
    TResStack copy = bits.copy();
    bits[1] = false;
    ASSERT_EQ(copy.length(), 3);
    EXPECT_TRUE(copy[1]);
    EXPECT_EQ(rawCount(copy.ref), 1);
    bits.release();
    copy.release();
    EXPECT_EQ(TResStack().copy().ref, nullptr);
}

} // namespace

} // namespace dynamic_array_test
