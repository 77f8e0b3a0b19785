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

// The logger's drive held in memory, with a log of every operation tried on it and the means
// to make any one of them fail, as real drives do.
class FakeDrive : public DriveFiles {
  public:
    using Bytes = std::vector<std::uint8_t>;

    explicit FakeDrive(char driveLetter = 'E') : letter(driveLetter) {}

    char letter;
    DriveIdentity identity{1, 2};
    // Changes what a read hands back (the stored file stays as written).
    std::function<void(Bytes& bytes)> alterRead;
    int sessionsOpen = 0;
    // Every operation tried: "open", "lock" (when asked for), and "read", "create", "write",
    // "finish" or "remove" with the file's name. Those to fail go by text or number (from 1).
    std::vector<std::string> operations;
    std::set<std::string> failing;
    std::set<std::size_t> failingSteps;
    std::map<std::string, Bytes> files;  // as written; a create empties the file

    bool has(const std::string& name) const { return files.count(name) != 0; }
    const Bytes& file(const std::string& name) const { return files.at(name); }
    void put(const std::string& name, Bytes bytes) { files[name] = std::move(bytes); }

    DriveOpening open(char drive, std::optional<std::chrono::milliseconds> lockWait) override {
        DriveOpening opening;
        if (step("open") && drive == letter) {
            if (lockWait && !step("lock")) {
                opening.refusal = DriveRefusal::Busy;  // held by another program
            } else {
                opening.session = std::make_unique<Session>(*this);
            }
        }
        return opening;
    }

  private:
    bool step(const std::string& operation) {
        operations.push_back(operation);
        return !failing.count(operation) && !failingSteps.count(operations.size());
    }

    struct File : OutputFile {
        File(FakeDrive& d, std::string n) : drive(d), name(std::move(n)) {}
        bool write(std::span<const std::uint8_t> bytes) override {
            const bool ok = drive.step("write " + name);
            if (ok) {
                drive.files[name].insert(drive.files[name].end(), bytes.begin(), bytes.end());
            }
            return ok;
        }
        bool finish() override { return drive.step("finish " + name); }
        FakeDrive& drive;
        std::string name;
    };

    struct Session : DriveSession {
        explicit Session(FakeDrive& d) : drive(d) { ++drive.sessionsOpen; }
        ~Session() override { --drive.sessionsOpen; }
        DriveIdentity identity() const override { return drive.identity; }

        std::optional<std::size_t> read(std::string_view name,
                                        std::span<std::uint8_t> dest) override {
            const std::string key(name);
            if (!drive.step("read " + key) || !drive.has(key)) {
                return std::nullopt;
            }
            Bytes bytes = drive.files[key];
            if (drive.alterRead) {
                drive.alterRead(bytes);
            }
            const std::size_t count = std::min(bytes.size(), dest.size());
            std::copy_n(bytes.begin(), count, dest.begin());
            return count;
        }
        std::unique_ptr<OutputFile> create(std::string_view name) override {
            if (!drive.step("create " + std::string(name))) {
                return nullptr;
            }
            drive.files[std::string(name)].clear();
            return std::make_unique<File>(drive, std::string(name));
        }
        bool remove(std::string_view name) override {
            const bool ok = drive.step("remove " + std::string(name));
            if (ok) {
                drive.files.erase(std::string(name));
            }
            return ok;
        }
        FakeDrive& drive;
    };
};

}  // namespace veltra::test
