#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>

#include "SysfsTree.h"
#include "platform/linux/FolderDriveFiles.h"

namespace veltra {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// What a faulty drive does to the command line is in the fault table (tests/faults); these
// are the back end's own promises.
TEST(FolderDriveFiles, FindsFilesWhateverTheCaseAndLetsReadersInBesideTheWriter) {
    SysfsTree tree;  // only for its temporary folder
    const fs::path root = tree.base() / "LOGGER";
    fs::create_directories(root);
    FolderDriveFiles files{[&](char drive) -> std::optional<fs::path> {
        return drive == 'E' ? std::optional(root) : std::nullopt;
    }};
    EXPECT_FALSE(files.open('F', std::nullopt).session);

    tree.write(root / "dat.src", "image");
    tree.write(root / "config.cfg", "old");
    tree.write(root / "ok.dat", "OK");
    const auto drive = files.open('E', milliseconds(0)).session;
    ASSERT_TRUE(drive);
    // Reading writes nothing, not even the access date (which FAT keeps in the folder).
    const timespec times[2] = {{1, 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (root / "dat.src").c_str(), times, 0), 0);
    std::array<std::uint8_t, 64> buffer{};
    EXPECT_EQ(drive->read("DAT.SRC", buffer), 5u);
    EXPECT_EQ(drive->read("Dat.Src", buffer), 5u);  // the folder is listed afresh each time
    EXPECT_FALSE(drive->read("APP.BIN", buffer));
    struct stat info {};
    EXPECT_TRUE(::stat((root / "dat.src").c_str(), &info) == 0 && info.st_atim.tv_sec == 1);

    // A file the logger spells in lower case is rewritten or removed, not doubled.
    auto file = drive->create("CONFIG.CFG");
    ASSERT_TRUE(file && file->write(buffer) && file->finish());
    EXPECT_EQ(fs::file_size(root / "config.cfg"), buffer.size());
    EXPECT_FALSE(fs::exists(root / "CONFIG.CFG"));
    EXPECT_TRUE(drive->remove("OK.DAT"));
    EXPECT_FALSE(fs::exists(root / "ok.dat"));
    EXPECT_TRUE(drive->remove("OK.DAT"));  // nothing there is as good as removed

    // Readers are let in beside the writer.
    EXPECT_TRUE(files.open('E', std::nullopt).session);

    // The held folder is the one written to, though another now stands at its path.
    fs::rename(root, tree.base() / "MOVED");
    fs::create_directories(root);
    EXPECT_NE(files.open('E', std::nullopt).session->identity(), drive->identity());
    EXPECT_TRUE(drive->remove("DAT.SRC"));
    file = drive->create("OK.DAT");
    ASSERT_TRUE(file && file->write(buffer) && file->finish());
    EXPECT_EQ(fs::file_size(tree.base() / "MOVED" / "OK.DAT"), buffer.size());
    EXPECT_FALSE(fs::exists(tree.base() / "MOVED" / "dat.src"));
    EXPECT_TRUE(fs::is_empty(root));
}

}  // namespace
}  // namespace veltra
