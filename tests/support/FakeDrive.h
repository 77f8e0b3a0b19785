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

// The logger's drive held in memory: one drive letter, files by name, a log of every operation
// tried on it, and the means to make any single one of them fail, as real drives do.
class FakeDrive : public DriveFiles {
  public:
    using Bytes = std::vector<std::uint8_t>;

    explicit FakeDrive(char driveLetter = 'E') : letter(driveLetter) {}

    // The drive's letter; any other letter names no drive.
    char letter;
    // The drive is attached; when false nothing on it can be done.
    bool present = true;
    // The filesystem it is; sessions opened from now on report this.
    DriveIdentity identity{1, 2};
    // Changes what a read hands back (the stored file stays as written).
    std::function<void(const std::string& name, Bytes& bytes)> alterRead;

    // Sessions opened and not yet ended.
    int sessionsOpen = 0;
    // Every operation tried, in order: "open", "lock" (when a lock is asked for), and
    // "read", "create", "write", "finish" or "remove" followed by the file's name.
    std::vector<std::string> operations;
    // Operations that fail, by their text ("lock" fails as a lock held by another program)...
    std::set<std::string> failing;
    // ... or by their number in `operations`, counted from 1.
    std::set<std::size_t> failingSteps;

    // The files on the drive by name, as written (a create empties the file).
    std::map<std::string, Bytes> files;
    bool has(const std::string& name) const { return files.count(name) != 0; }
    const Bytes& file(const std::string& name) const { return files.at(name); }
    void put(const std::string& name, Bytes bytes) { files[name] = std::move(bytes); }

    DriveOpening open(char drive, std::optional<std::chrono::milliseconds> lockWait) override {
        DriveOpening opening;
        if (!step("open") || drive != letter) {
            return opening;
        }
        if (lockWait && !step("lock")) {
            opening.refusal = DriveRefusal::Busy;
            return opening;
        }
        opening.session = std::make_unique<Session>(*this, identity);
        return opening;
    }

  private:
    // Logs the operation; false when it is to fail.
    bool step(const std::string& operation) {
        operations.push_back(operation);
        return present && failing.count(operation) == 0 &&
               failingSteps.count(operations.size()) == 0;
    }

    class File : public OutputFile {
      public:
        File(FakeDrive& drive, std::string name) : drive_(drive), name_(std::move(name)) {}

        bool write(std::span<const std::uint8_t> bytes) override {
            if (!drive_.step("write " + name_)) {
                return false;
            }
            Bytes& stored = drive_.files[name_];
            stored.insert(stored.end(), bytes.begin(), bytes.end());
            return true;
        }
        bool finish() override { return drive_.step("finish " + name_); }

      private:
        FakeDrive& drive_;
        std::string name_;
    };

    class Session : public DriveSession {
      public:
        Session(FakeDrive& drive, DriveIdentity identity) : drive_(drive), identity_(identity) {
            ++drive_.sessionsOpen;
        }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;
        ~Session() override { --drive_.sessionsOpen; }

        DriveIdentity identity() const override { return identity_; }

        std::optional<std::size_t> read(std::string_view name,
                                        std::span<std::uint8_t> dest) override {
            const std::string key(name);
            const auto found = drive_.files.find(key);
            if (!drive_.step("read " + key) || found == drive_.files.end()) {
                return std::nullopt;
            }
            Bytes bytes = found->second;
            if (drive_.alterRead) {
                drive_.alterRead(key, bytes);
            }
            const std::size_t count = std::min(bytes.size(), dest.size());
            std::copy_n(bytes.begin(), count, dest.begin());
            return count;
        }

        std::unique_ptr<OutputFile> create(std::string_view name) override {
            const std::string key(name);
            if (!drive_.step("create " + key)) {
                return nullptr;
            }
            drive_.files[key].clear();
            return std::make_unique<File>(drive_, key);
        }

        bool remove(std::string_view name) override {
            const std::string key(name);
            if (!drive_.step("remove " + key)) {
                return false;
            }
            drive_.files.erase(key);
            return true;
        }

      private:
        FakeDrive& drive_;
        DriveIdentity identity_;
    };
};

}  // namespace veltra::test
