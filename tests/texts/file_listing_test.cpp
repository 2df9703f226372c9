// The device-library file listing: recursion, masks, a stable order, folders
// never listed, and symbolic links that cannot trap the walk.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ide/texts/file_listing.h"

namespace file_listing_test {
namespace {

namespace fs = std::filesystem;

class FileListingTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temporary.isValid());
        root = fs::path(temporary.path().toStdString());
        // Created out of name order, so a listing in creation or directory
        // order would show.
        touch("sub/z.quodev");
        touch("sub/deeper/y.quodev");
        touch("notes.txt");
        touch("a.quodev");
        touch("lib.quodev/inner.quodev"); // a folder whose name matches the mask
        touch("B.quodev");
        touch("ab.quodev");
        fs::create_directory_symlink(root, root / "loop");
        fs::create_directory_symlink(root / "sub", root / "sub" / "deeper" / "back");
        fs::create_symlink(root / "sub" / "z.quodev", root / "link.quodev");
        fs::create_symlink(root / "missing.quodev", root / "dangling.quodev");
    }

    void touch(const std::string& relative)
    {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << "x";
    }

    std::vector<std::string> find(const std::string& folder, const char* mask, bool recursive) const
    {
        std::vector<std::string> relative;
        for (const QString& path : FindFilesByMask(QString::fromStdString(folder), QString::fromUtf8(mask), recursive))
            relative.push_back(fs::path(path.toStdString()).lexically_relative(root).string());
        return relative;
    }

    QTemporaryDir temporary;
    fs::path root;
};

using Names = std::vector<std::string>;

TEST_F(FileListingTest, RecursiveListingIsDepthFirstInNameOrder)
{
    EXPECT_EQ(find(root.string(), "*.quodev", true),
        (Names{"B.quodev", "a.quodev", "ab.quodev", "lib.quodev/inner.quodev", "link.quodev",
            "sub/deeper/y.quodev", "sub/z.quodev"}));
}

TEST_F(FileListingTest, NonRecursiveListingStaysInTheFolder)
{
    EXPECT_EQ(find(root.string(), "*.quodev", false), (Names{"B.quodev", "a.quodev", "ab.quodev", "link.quodev"}));
    EXPECT_EQ(find((root / "sub").string(), "*", false), (Names{"sub/z.quodev"}));
}

TEST_F(FileListingTest, QuestionMarkStandsForOneCharacter)
{
    EXPECT_EQ(find(root.string(), "?.quodev", true), (Names{"B.quodev", "a.quodev", "sub/deeper/y.quodev", "sub/z.quodev"}));
    EXPECT_EQ(find(root.string(), "a?.quodev", true), (Names{"ab.quodev"}));
}

TEST_F(FileListingTest, MissingOrNonFolderPathGivesNoFiles)
{
    EXPECT_TRUE(find((root / "absent").string(), "*", true).empty());
    EXPECT_TRUE(find((root / "a.quodev").string(), "*", true).empty());
    EXPECT_TRUE(find("", "*", true).empty());
}

TEST(MaskMatching, Wildcards)
{
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"a.so", "*.so", true},
        {"a.so.1", "*.so", false},
        {".so", "*.so", true},
        {"a.SO", "*.so", false},
        {"x.quodev", "?.quodev", true},
        {"xy.quodev", "?.quodev", false},
        {".quodev", "?.quodev", false},
        {"abc", "a*c", true},
        {"abc", "a*b", false},
        {"mississippi", "m*iss*ppi", true},
        {"mississippi", "m*iss*pp", false},
        {"aXbXc", "a*X*c", true},
        {"", "*", true},
        {"", "", true},
        {"x", "", false},
        {"", "?", false},
        {"Модуль.so", "??????.so", true},
        {"\xF0\x9F\x94\x8C.so", "?.so", true}, // one character outside the basic plane
        {"*star", "*star", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(QString::fromUtf8(c.name), QString::fromUtf8(c.mask)), c.matches)
            << c.name << " / " << c.mask;
}

} // namespace

} // namespace file_listing_test
