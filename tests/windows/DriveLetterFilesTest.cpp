#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <thread>

#include "core/HostCharset.h"
#include "platform/windows/DriveLetterFiles.h"
#include "support/TempFolder.h"
#include "win32/WideText.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;

class DriveLetterFilesTest : public ::testing::Test {
  protected:
    void put(const std::string& name, const Bytes& bytes) {
        std::ofstream(folder.path() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    bool write(const std::string& name, const Bytes& bytes) {
        auto file = drive->create(name);
        return file && file->write(bytes) && file->finish();
    }
    std::optional<Bytes> read(const std::string& name, std::size_t size) {
        Bytes bytes(size);
        const auto count = drive->read(name, bytes);
        bytes.resize(count.value_or(0));
        return count ? std::optional(bytes) : std::nullopt;
    }

    test::TempFolder folder;
    DriveLetterFiles files{[this](char letter) {
        return letter == 'E' || letter == 'e' ? std::optional(folder.path()) : std::nullopt;
    }};
    std::unique_ptr<DriveSession> drive = files.open('E', std::chrono::milliseconds(0)).session;
};

Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    return bytes;
}

// A new file, and one that was longer: exactly the bytes written read back, in binary.
TEST_F(DriveLetterFilesTest, WrittenBytesReplaceTheFileAndReadBack) {
    ASSERT_TRUE(drive);
    put("CONFIG.CFG", pattern(1000));
    for (const char* name : {"OK.DAT", "CONFIG.CFG"}) {
        SCOPED_TRACE(name);
        const Bytes bytes = {'O', 'K', '\r', '\n', 0, 0x1A, 0xFF};
        ASSERT_TRUE(write(name, bytes));
        EXPECT_EQ(read(name, 2000), bytes);
    }
    EXPECT_TRUE(drive->remove("OK.DAT"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "OK.DAT"));
    EXPECT_TRUE(drive->remove("OK.DAT"));  // nothing there is as good as removed
}

// Reads whole sectors but returns only what fits.
TEST_F(DriveLetterFilesTest, ReadsAsMuchOfTheFileAsFits) {
    ASSERT_TRUE(drive);
    struct Case {
        std::size_t fileSize, destSize, expected;
    };
    const Case cases[] = {{0, 16, 0},
                          {1, 16, 1},
                          {353, 353, 353},
                          {353, 100, 100},
                          {4096, 8192, 4096},
                          {65536, 65536, 65536},
                          {65537, 131072, 65537},
                          {200000, 131072, 131072}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.fileSize);
        const Bytes bytes = pattern(test.fileSize);
        put("DAT.SRC", bytes);
        EXPECT_EQ(read("DAT.SRC", test.destSize),
                  Bytes(bytes.begin(), bytes.begin() + static_cast<long>(test.expected)));
    }
}

TEST_F(DriveLetterFilesTest, RefusesWhatIsNotAPlainFileInTheRoot) {
    ASSERT_TRUE(drive);
    std::filesystem::create_directory(folder.path() / "APP.BIN");
    put("DAT.SRC", pattern(10));
    EXPECT_FALSE(read("APP.BIN", 10));
    EXPECT_FALSE(drive->create("APP.BIN"));
    EXPECT_FALSE(drive->remove("APP.BIN"));
    for (const char* name :
         {"", ".", "..", "..\\DAT.SRC", "sub/DAT.SRC", "DAT.SRC:stream", "D*T.SRC", "C:DAT.SRC"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(read(name, 10));
        EXPECT_FALSE(drive->create(name));
    }
    EXPECT_FALSE(read("MISSING.DAT", 10));
    for (char letter : {'F', '1', '\0'}) {  // a letter with no drive, and no letters
        EXPECT_FALSE(files.open(letter, std::nullopt).session);
    }
}

// A file with a second name elsewhere is never written: the writes would reach it there.
TEST_F(DriveLetterFilesTest, RefusesToWriteAFileWithAnotherName) {
    ASSERT_TRUE(drive);
    put("outside.bin", pattern(10));
    ASSERT_TRUE(::CreateHardLinkW((folder.path() / "CONFIG.CFG").c_str(),
                                  (folder.path() / "outside.bin").c_str(), nullptr));
    EXPECT_FALSE(drive->create("CONFIG.CFG"));
    EXPECT_EQ(read("outside.bin", 100), pattern(10));
    EXPECT_TRUE(drive->remove("CONFIG.CFG"));
    EXPECT_EQ(read("outside.bin", 100), pattern(10));
}

// The lock is the volume's: another thread's writer waits for it, a reader does not.
TEST_F(DriveLetterFilesTest, OneWriterAtATime) {
    ASSERT_TRUE(drive);
    DriveOpening other;
    std::thread([&] { other = files.open('E', std::chrono::milliseconds(50)); }).join();
    EXPECT_FALSE(other.session);
    EXPECT_EQ(other.refusal, DriveRefusal::Busy);
    std::thread([&] { other = files.open('E', std::nullopt); }).join();
    EXPECT_TRUE(other.session);
    EXPECT_EQ(other.session->identity(), drive->identity());
    drive.reset();
    std::thread([&] { other = files.open('E', std::chrono::milliseconds(0)); }).join();
    EXPECT_TRUE(other.session);
}

TEST(WindowsHostCharset, AsciiAndTheCodePageRoundTrip) {
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) {
        ascii.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(hostTextToUtf8(ascii), ascii);
    EXPECT_EQ(utf8ToHostText(ascii), ascii);
    EXPECT_EQ(hostTextToUtf8(""), "");
    EXPECT_FALSE(utf8ToHostText("\xC3"));          // a cut UTF-8 sequence
    EXPECT_FALSE(utf8ToHostText("\xED\xA0\x80"));  // a lone surrogate
    if (::GetACP() == 1252) {
        EXPECT_EQ(utf8ToHostText("caf\xC3\xA9"), "caf\xE9");
        EXPECT_EQ(hostTextToUtf8("caf\xE9"), "caf\xC3\xA9");
        EXPECT_FALSE(utf8ToHostText("\xE2\x84\x83"));  // the degree Celsius sign has no byte
    }
}

// Messages reach the message box as UTF-16, the degree Celsius sign and Chinese included.
TEST(WideText, Utf8BecomesUtf16) {
    EXPECT_EQ(utf8ToWide("25.0\xE2\x84\x83"), L"25.0\u2103");
    EXPECT_EQ(utf8ToWide("\xE9\x9D\x9E\xE6\xB3\x95"), L"\u975E\u6CD5");
    EXPECT_EQ(utf8ToWide("\xF0\x9F\x8C\xA1"), L"\U0001F321");  // a surrogate pair
    EXPECT_EQ(utf8ToWide(""), L"");
    EXPECT_EQ(utf8ToWide(std::string{'a', '\xFF', 'b'}), L"a\uFFFDb");  // a byte that is not UTF-8
}

}  // namespace
}  // namespace veltra
