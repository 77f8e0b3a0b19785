#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "SysfsTree.h"
#include "platform/linux/FolderDriveFiles.h"

namespace veltra {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FolderDriveFilesTest : public ::testing::Test {
  protected:
    FolderDriveFilesTest() {
        fs::create_directories(root);
        fs::create_directories(outside);
    }
    std::optional<std::string> read(const char* name) {
        std::array<std::uint8_t, 64> buffer{};
        const auto count = files.read('E', name, buffer);
        if (!count) {
            return std::nullopt;
        }
        return std::string(buffer.begin(), buffer.begin() + static_cast<long>(*count));
    }
    bool create(const char* name, const std::string& text) {
        auto file = files.create('E', name);
        if (!file) {
            return false;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        return file->write({bytes, text.size()}) && file->finish();
    }

    SysfsTree tree;  // only for its temporary folder
    fs::path root = tree.base() / "LOGGER";
    fs::path outside = tree.base() / "home";
    FolderDriveFiles files{[this](char drive) -> std::optional<fs::path> {
        return drive == 'E' ? std::optional(root) : std::nullopt;
    }};
};

TEST_F(FolderDriveFilesTest, FindsTheFileWhateverTheCaseOfItsName) {
    tree.write(root / "dat.src", "image");
    EXPECT_EQ(read("DAT.SRC"), "image");
    EXPECT_EQ(read("Dat.Src"), "image");
    EXPECT_FALSE(read("APP.BIN"));
    EXPECT_FALSE(files.read('F', "DAT.SRC", std::span<std::uint8_t>()));

    // A file the logger spells in lower case is rewritten, not doubled.
    tree.write(root / "config.cfg", "old");
    EXPECT_TRUE(create("CONFIG.CFG", "new"));
    EXPECT_EQ(contents(root / "config.cfg"), "new");
    EXPECT_FALSE(fs::exists(root / "CONFIG.CFG") &&
                 !fs::equivalent(root / "CONFIG.CFG", root / "config.cfg"));
}

TEST_F(FolderDriveFilesTest, NeverGoesThroughALinkOrIntoAFolder) {
    tree.write(outside / "secret", "keep");
    fs::create_symlink(outside / "secret", root / "CONFIG.CFG");
    fs::create_symlink(outside / "secret", root / "dat.src");
    fs::create_directory(root / "OK.DAT");

    EXPECT_FALSE(create("CONFIG.CFG", "overwrite"));
    EXPECT_FALSE(create("config.cfg", "overwrite"));
    EXPECT_EQ(contents(outside / "secret"), "keep");
    EXPECT_FALSE(read("DAT.SRC"));

    EXPECT_FALSE(create("OK.DAT", "OK"));
    EXPECT_TRUE(fs::is_directory(root / "OK.DAT"));
    EXPECT_TRUE(fs::is_empty(root / "OK.DAT"));

    for (const char* name : {"../home/secret", "sub/OK.DAT", "..", "."}) {
        EXPECT_FALSE(create(name, "x")) << name;
        EXPECT_FALSE(read(name)) << name;
    }
    EXPECT_EQ(contents(outside / "secret"), "keep");
}

}  // namespace
}  // namespace veltra
