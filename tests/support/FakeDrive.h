#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/DriveFiles.h"

namespace veltra::test {

// The logger's drive held in memory: one drive letter, files by name, and switches that make
// it fail the way real drives do (write-protected, full, pulled out, lying on read-back).
class FakeDrive : public DriveFiles {
  public:
    using Bytes = std::vector<std::uint8_t>;

    explicit FakeDrive(char driveLetter = 'E') : letter(driveLetter) {}

    // The drive's letter; any other letter names no drive.
    char letter;
    // The drive is attached; when false every operation fails.
    bool present = true;
    // Write-protected: every create fails and leaves the file as it was.
    bool readOnly = false;
    // Bytes that may still be written, over all files; a write beyond it stores what fits
    // and fails.
    std::optional<std::size_t> freeBytes;
    // The drive goes away once this many files were created: later creates fail (reads
    // still answer, so a failure after a verified write can be staged).
    std::optional<int> vanishAfterCreates;
    // Creates that fail, by their number counted from 1 over the drive's life.
    std::set<int> failingCreates;
    // Names whose create fails.
    std::set<std::string> failingNames;
    bool finishFails = false;
    bool readFails = false;
    // Changes what a read hands back (the stored file stays as written).
    std::function<void(const std::string& name, Bytes& bytes)> alterRead;

    // What happened, for the tests to look at.
    std::vector<std::string> createdNames;  // every create that succeeded, in order
    int createAttempts = 0;

    // The files on the drive by name, as written (a create empties the file).
    std::map<std::string, Bytes> files;
    bool has(const std::string& name) const { return files.count(name) != 0; }
    const Bytes& file(const std::string& name) const { return files.at(name); }
    void put(const std::string& name, Bytes bytes) { files[name] = std::move(bytes); }

    std::optional<std::size_t> read(char drive, std::string_view name,
                                    std::span<std::uint8_t> dest) override {
        if (!reachable(drive) || readFails) {
            return std::nullopt;
        }
        const auto found = files.find(std::string(name));
        if (found == files.end()) {
            return std::nullopt;
        }
        Bytes bytes = found->second;
        if (alterRead) {
            alterRead(found->first, bytes);
        }
        const std::size_t count = std::min(bytes.size(), dest.size());
        std::copy_n(bytes.begin(), count, dest.begin());
        return count;
    }

    std::unique_ptr<OutputFile> create(char drive, std::string_view name) override {
        const int number = ++createAttempts;
        const std::string key(name);
        if (!reachable(drive) || readOnly || failingCreates.count(number) != 0 ||
            failingNames.count(key) != 0) {
            return nullptr;
        }
        if (vanishAfterCreates && static_cast<int>(createdNames.size()) >= *vanishAfterCreates) {
            return nullptr;
        }
        createdNames.push_back(key);
        files[key].clear();
        return std::make_unique<File>(*this, key);
    }

  private:
    class File : public OutputFile {
      public:
        File(FakeDrive& drive, std::string name) : drive_(drive), name_(std::move(name)) {}

        bool write(std::span<const std::uint8_t> bytes) override {
            std::size_t fits = bytes.size();
            if (drive_.freeBytes) {
                fits = std::min(fits, *drive_.freeBytes);
                *drive_.freeBytes -= fits;
            }
            Bytes& stored = drive_.files[name_];
            stored.insert(stored.end(), bytes.begin(), bytes.begin() + static_cast<long>(fits));
            return fits == bytes.size();
        }
        bool finish() override { return !drive_.finishFails; }

      private:
        FakeDrive& drive_;
        std::string name_;
    };

    bool reachable(char drive) const { return present && drive == letter; }
};

}  // namespace veltra::test
