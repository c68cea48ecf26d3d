#include "base/file_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace varn {
namespace {

namespace fs = std::filesystem;

std::vector<u8> read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class FileWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("varn_file_write_" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    size_t entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
    fs::path dir;
};

TEST_F(FileWrite, WritesAndReplacesLeavingNoTemporaryFile) {
    const fs::path p = dir / "a.bin";
    const std::vector<u8> first{1, 2, 3}, second{9};
    ASSERT_TRUE(write_file_replacing(p, first));
    EXPECT_EQ(read_all(p), first);
    ASSERT_TRUE(write_file_replacing(p, second));
    EXPECT_EQ(read_all(p), second);
    ASSERT_TRUE(write_file_replacing(p, {}));
    EXPECT_TRUE(read_all(p).empty());
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileWrite, AFailureReportsAndKeepsTheOlderFile) {
    // The target is a non-empty folder: the rename fails after the bytes were written.
    const fs::path busy = dir / "busy";
    fs::create_directories(busy / "inside");
    const auto r = write_file_replacing(busy, std::vector<u8>{1});
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("busy"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(busy / "inside"));
    EXPECT_EQ(entries(), 1u);  // no temporary file left behind

    // A folder that does not exist: nothing can be created.
    EXPECT_FALSE(write_file_replacing(dir / "missing" / "x.bin", std::vector<u8>{1}));
}

TEST_F(FileWrite, KeepsTheOlderFilesModeAndWritesThroughALink) {
    const fs::path p = dir / "a.bin";
    ASSERT_TRUE(write_file_replacing(p, std::vector<u8>{1}));
    fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(write_file_replacing(p, std::vector<u8>{2}));
    EXPECT_EQ(fs::status(p).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A new file takes what the umask leaves of read and write for all.
    const mode_t old_mask = ::umask(027);
    ASSERT_TRUE(write_file_replacing(dir / "new.bin", std::vector<u8>{3}));
    ::umask(old_mask);
    EXPECT_EQ(fs::status(dir / "new.bin").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A link is written through: the file it names gets the bytes, the link stays a link,
    // also when the file is not there yet or the link is relative to its folder.
    fs::create_directories(dir / "real");
    fs::create_symlink("real/a.bin", dir / "link.bin");
    ASSERT_TRUE(write_file_replacing(dir / "link.bin", std::vector<u8>{4}));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.bin")));
    EXPECT_EQ(read_all(dir / "real" / "a.bin"), std::vector<u8>{4});
    ASSERT_TRUE(write_file_replacing(dir / "link.bin", std::vector<u8>{5, 6}));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.bin")));
    EXPECT_EQ(read_all(dir / "real" / "a.bin"), (std::vector<u8>{5, 6}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), {}), 1) << "no temporary file";
}

}  // namespace
}  // namespace varn
