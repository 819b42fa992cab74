// Reading the user's files by their UTF-8 names, whatever the characters,
// and refusing what is not a regular file.
#include "codec/RegularFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path FromUtf8(const std::string& name) { return fs::path(std::u8string(name.begin(), name.end())); }

class RegularFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Folder = fs::temp_directory_path() /
                 ("zentrova-regular-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }
    std::string Utf8(const fs::path& path) const
    {
        const auto text = path.u8string();
        return std::string(text.begin(), text.end());
    }
    fs::path Folder;
};

TEST_F(RegularFileTest, OpensNamesInAnyScriptAndReadsThemWhole)
{
    const std::string names[] = {"apuntes.rtf", "cálculo ñandú.rtf", "数学 ノート.txt", "Ελληνικά €.rtf",
                                 "emoji \U0001F600.txt"};
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        const fs::path path = Folder / FromUtf8(name);
        const std::string content = "{\\rtf1 " + name + "}";
        std::ofstream(path, std::ios::binary) << content;
        notebook::TRegularFile file;
        ASSERT_TRUE(file.Open(Utf8(path))) << file.Error;
        EXPECT_EQ(file.Size(), static_cast<long long>(content.size()));
        std::string read;
        ASSERT_TRUE(file.Read(0, 1 << 20, read)) << file.Error;
        EXPECT_EQ(read, content);
        ASSERT_TRUE(file.Read(7, 3, read));
        EXPECT_EQ(read, content.substr(7, 3));
    }
}

TEST_F(RegularFileTest, RefusesWhatIsNotThere)
{
    notebook::TRegularFile file;
    EXPECT_FALSE(file.Open(Utf8(Folder / FromUtf8("no está.rtf"))));
    EXPECT_EQ(file.Error, "no existe");
    EXPECT_FALSE(file.NotRegular);
    std::string read;
    EXPECT_FALSE(file.Read(0, 10, read));

    const fs::path inner = Folder / FromUtf8("carpeta ñ");
    fs::create_directories(inner);
    // A folder is refused, as "not a regular file" where the system opens
    // it and as unreadable where it does not.
    EXPECT_FALSE(file.Open(Utf8(inner)));
    EXPECT_FALSE(file.Error.empty());
}

} // namespace
