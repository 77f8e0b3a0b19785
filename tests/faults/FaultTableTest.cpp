// The built veltra-cli against real filesystem faults: full and read-only drives, links out of
// the drive, pipes, another program holding the drive, I/O errors injected with strace, and a
// filesystem mounted over the drive. One row per fault; every row is held to the same promise.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <thread>

#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempFolder.h"

namespace veltra::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// The bytes of a regular file; nothing for a pipe or a link, which the rows put in the drive.
Bytes readFile(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string readText(const fs::path& path) {
    const Bytes bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

// An entry of any kind under the name (a dangling link too).
bool entryExists(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// One bounded run of a program: how it ended and what it printed.
struct Outcome {
    bool hung = false;
    int exitCode = -1;
    int signal = 0;  // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// Runs the program in a process group of its own, with its output in files, for at most
// `bound`; the group is killed when the bound is over. `meanwhile` runs every few
// milliseconds while the program does, with its process id.
Outcome runBounded(const std::vector<std::string>& argv, std::chrono::milliseconds bound,
                   const std::function<void(pid_t)>& meanwhile = {}) {
    TempFolder output;
    const std::string outPath = (output.path() / "out").string();
    const std::string errPath = (output.path() / "err").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(null, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    Outcome run;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            run.hung = true;
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        if (meanwhile) {
            meanwhile(pid);
        }
        std::this_thread::sleep_for(5ms);
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    run.out = readText(outPath);
    run.err = readText(errPath);
    return run;
}

const std::vector<std::string> FixedHost = {"--now", "2026-12-06 21:30:00", "--host-utc-offset",
                                            "+00:00"};

std::vector<std::string> configureCommand(const fs::path& drive,
                                          const std::vector<std::string>& settings = {}) {
    std::vector<std::string> argv = {VELTRA_CLI, "configure", "--drive", drive.string()};
    argv.insert(argv.end(), FixedHost.begin(), FixedHost.end());
    argv.insert(argv.end(), settings.begin(), settings.end());
    return argv;
}

SimulatorSettings loggerSettings(bool needsUpgrade) {
    SimulatorSettings settings;
    settings.firmwareRevision = needsUpgrade ? 1 : 2;
    return settings;
}

Bytes deviceImage(bool needsUpgrade) {
    const SimulatorSettings settings = loggerSettings(needsUpgrade);
    TempFolder scratch;
    return LoggerSimulator::deviceImage(settings, settings.firmwareRevision,
                                        LoggerSimulator(scratch.path(), settings).parameters());
}

bool canTrace() {
    static const bool works = [] {
        const Outcome run = runBounded({"strace", "-qq", "-o", "/dev/null", "true"}, 10s);
        return !run.hung && run.exitCode == 0;
    }();
    return works;
}

// A drive for one row: a folder, or (as root) a tmpfs of its own, beside a folder outside the
// drive that must come out of every run unchanged.
class Rig {
  public:
    Rig() {
        fs::create_directory(drive);
        fs::create_directory(outside);
        writeFile(outside / "x", Bytes{'k', 'e', 'e', 'p'});
    }
    ~Rig() {
        unlock();
        while (!mounts_.empty()) {
            unmountLast();
        }
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    void mountTmpfs(const fs::path& where, const std::string& options) {
        ASSERT_EQ(::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()), 0) << where;
        mounts_.push_back(where);
    }
    void unmountLast() {
        ::umount2(mounts_.back().c_str(), MNT_DETACH);
        mounts_.pop_back();
    }
    // Holds the drive's lock as another program would, until unlock().
    void lock() {
        lockFd_ = ::open(drive.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_EQ(::flock(lockFd_, LOCK_EX), 0);
    }
    void unlock() {
        if (lockFd_ >= 0) {
            ::close(lockFd_);
            lockFd_ = -1;
        }
    }
    void remountReadOnly() {
        ASSERT_EQ(::mount(nullptr, drive.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    }
    void plug(bool needsUpgrade) {
        upgradeLogger = needsUpgrade;
        writeFile(drive / "DAT.SRC", deviceImage(needsUpgrade));
    }
    void put(const char* name, const std::string& text) {
        writeFile(drive / name, Bytes(text.begin(), text.end()));
    }
    void fifo(const char* name) { ASSERT_EQ(::mkfifo((drive / name).c_str(), 0644), 0); }
    void hardLink(const char* name) { fs::create_hard_link(outside / "x", drive / name); }
    void symlink(const char* name) { fs::create_symlink(outside / "x", drive / name); }

    // What lies outside the drive, by name.
    std::map<std::string, Bytes> outsideNow() const {
        std::map<std::string, Bytes> files;
        for (const auto& entry : fs::directory_iterator(outside)) {
            files[entry.path().filename().string()] = readFile(entry.path());
        }
        return files;
    }

    TempFolder base;
    fs::path drive = base.path() / "drive";
    fs::path outside = base.path() / "outside";
    bool upgradeLogger = false;
    std::function<void(pid_t)> meanwhile;  // runs while the command does

  private:
    std::vector<fs::path> mounts_;
    int lockFd_ = -1;
};

enum class Needs { Nothing, Root, Strace, RootAndStrace };

struct Row {
    const char* fault;
    Needs needs;
    std::function<void(Rig&)> arrange;
    // The command, run on the rig's drive (the configure command when not given).
    std::function<std::vector<std::string>(Rig&)> command;
    std::vector<int> exitCodes;  // the codes this fault may give
    const char* message;         // expected on standard error, if not null
    // Puts the drive back as it was for the checks, if the row changed it on the way.
    std::function<void(Rig&)> after = {};
};

// The configure command under strace with these options. The leak checker of a sanitized
// build cannot work under a tracer, so it is left out there.
std::vector<std::string> traced(const Rig& rig, const std::vector<std::string>& options) {
    std::vector<std::string> argv = {"strace", "-f", "-qq", "-E", "ASAN_OPTIONS=detect_leaks=0"};
    argv.insert(argv.end(), options.begin(), options.end());
    const auto command = configureCommand(rig.drive);
    argv.insert(argv.end(), command.begin(), command.end());
    return argv;
}

// Fails the calls of `syscall` on the named file (on the drive's folder itself when the name
// is empty).
std::function<std::vector<std::string>(Rig&)> injecting(std::string syscall, std::string name) {
    return [=](Rig& rig) {
        const fs::path path = name.empty() ? rig.drive : rig.drive / name;
        return traced(rig, {"-o", "/dev/null", "-P", path.string(), "-e", "trace=" + syscall, "-e",
                            "inject=" + syscall + ":error=EIO"});
    };
}

// While the command waits for the drive's lock, with the drive's folder already open, another
// filesystem is mounted over the folder; then the lock is let go.
Row mountedOverWhileWaiting() {
    auto log = std::make_shared<fs::path>();
    Row row{"a filesystem mounted over the drive while the command waits for it",
            Needs::RootAndStrace,
            {},
            {},
            {0},
            nullptr};
    row.arrange = [log](Rig& rig) {
        rig.plug(false);
        rig.lock();
        *log = rig.base.path() / "strace.log";
        rig.meanwhile = [&rig, log, mounted = false](pid_t) mutable {
            if (!mounted && readText(*log).find("flock(") != std::string::npos) {
                rig.mountTmpfs(rig.drive, "size=64k");
                rig.unlock();
                mounted = true;
            }
        };
    };
    row.command = [log](Rig& rig) {
        return traced(rig, {"-o", log->string(), "-e", "trace=flock"});
    };
    row.after = [](Rig& rig) {
        EXPECT_TRUE(fs::is_empty(rig.drive)) << "written to the filesystem mounted over the drive";
        rig.unmountLast();
    };
    return row;
}

// The CONFIG.CFG of a finished configuration with these settings, as a clean run writes it.
const Bytes& referenceConfig(const std::vector<std::string>& settings = {}) {
    static std::map<std::vector<std::string>, Bytes> configs;
    Bytes& config = configs[settings];
    if (config.empty()) {
        TempFolder drive;
        writeFile(drive.path() / "DAT.SRC", deviceImage(false));
        const Outcome run = runBounded(configureCommand(drive.path(), settings), 20s);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        config = readFile(drive.path() / "CONFIG.CFG");
    }
    return config;
}

const Bytes& firmware() {
    static const Bytes bytes(FirmwareImage.begin(), FirmwareImage.end());
    return bytes;
}

// The promise of every row: a marker on the drive stands only beside the complete files it
// is for, and success means that they are there.
void expectMarkerOnlyBesideCompleteFiles(const Rig& rig, const Outcome& run) {
    const fs::path& d = rig.drive;
    const bool marker = entryExists(d / "OK.DAT");
    const Bytes config = readFile(d / "CONFIG.CFG");
    const bool upgrade = config == buildUpgradeConfigFile(37);
    const bool firmwareWhole = readFile(d / "APP.BIN") == firmware();
    if (marker) {
        EXPECT_EQ(readFile(d / "OK.DAT"), (Bytes{'O', 'K'}));
        EXPECT_TRUE(upgrade ? firmwareWhole : config == referenceConfig())
            << "OK.DAT beside an incomplete CONFIG.CFG or APP.BIN";
        EXPECT_TRUE(upgrade || !entryExists(d / "APP.BIN")) << "APP.BIN beside a configuration";
    }
    if (run.exitCode == 0) {
        EXPECT_TRUE(marker && config == referenceConfig()) << "success without the files";
    }
    if (run.exitCode == 4) {
        EXPECT_TRUE(marker && upgrade && firmwareWhole) << "upgrade without its files";
    }
}

const char* const ConfigureFailed = "It's fail to configure device,please confirm that";
const char* const UpgradeFailed = "Firmware upgrade failed,Please try again!";

std::vector<Row> rows() {
    const auto plain = [](Rig& rig) { rig.plug(false); };
    const auto upgrading = [](Rig& rig) { rig.plug(true); };
    const auto sized = [](const char* size, bool needsUpgrade) {
        return [=](Rig& rig) {
            rig.mountTmpfs(rig.drive, std::string("size=") + size);
            rig.plug(needsUpgrade);
        };
    };
    const auto link = [](void (Rig::*make)(const char*), const char* name, bool needsUpgrade) {
        return [=](Rig& rig) {
            rig.plug(needsUpgrade);
            (rig.*make)(name);
        };
    };
    return {
        // A page for DAT.SRC and none for CONFIG.CFG.
        {"drive full at CONFIG.CFG", Needs::Root, sized("4k", false), {}, {3}, ConfigureFailed},
        // Pages for DAT.SRC and CONFIG.CFG, none for OK.DAT.
        {"drive full at OK.DAT", Needs::Root, sized("8k", false), {}, {3}, ConfigureFailed},
        // APP.BIN cannot be written whole; the settings fit once it is removed again.
        {"drive full at APP.BIN", Needs::Root, sized("64k", true), {}, {3}, UpgradeFailed},
        {"stale OK.DAT on a full drive",
         Needs::Root,
         [&](Rig& rig) {
             sized("8k", false)(rig);
             rig.put("OK.DAT", "OK");
         },
         {},
         {3},
         ConfigureFailed},
        {"read-only remount",
         Needs::Root,
         [&](Rig& rig) {
             sized("64k", false)(rig);
             rig.remountReadOnly();
         },
         {},
         {3},
         ConfigureFailed},
        {"CONFIG.CFG a hard link out of the drive",
         Needs::Nothing,
         link(&Rig::hardLink, "CONFIG.CFG", false),
         {},
         {3},
         ConfigureFailed},
        {"CONFIG.CFG a symbolic link out of the drive",
         Needs::Nothing,
         link(&Rig::symlink, "CONFIG.CFG", false),
         {},
         {3},
         ConfigureFailed},
        // Only the marker's name is removed, never what it points to.
        {"OK.DAT a hard link out of the drive",
         Needs::Nothing,
         link(&Rig::hardLink, "OK.DAT", false),
         {},
         {0},
         nullptr},
        {"OK.DAT a symbolic link out of the drive",
         Needs::Nothing,
         link(&Rig::symlink, "OK.DAT", false),
         {},
         {0},
         nullptr},
        {"APP.BIN a hard link out of the drive",
         Needs::Nothing,
         link(&Rig::hardLink, "APP.BIN", true),
         {},
         {3},
         UpgradeFailed},
        {"APP.BIN a symbolic link out of the drive",
         Needs::Nothing,
         link(&Rig::symlink, "APP.BIN", true),
         {},
         {3},
         UpgradeFailed},
        {"DAT.SRC a pipe",
         Needs::Nothing,
         [](Rig& rig) { rig.fifo("DAT.SRC"); },
         {},
         {1},
         "cannot read DAT.SRC"},
        {"CONFIG.CFG a pipe",
         Needs::Nothing,
         [&](Rig& rig) {
             plain(rig);
             rig.fifo("CONFIG.CFG");
         },
         {},
         {3},
         ConfigureFailed},
        {"OK.DAT a pipe",
         Needs::Nothing,
         [&](Rig& rig) {
             plain(rig);
             rig.fifo("OK.DAT");
         },
         {},
         {0},
         nullptr},
        {"drive locked by another program",
         Needs::Nothing,
         [&](Rig& rig) {
             plain(rig);
             rig.lock();
         },
         {},
         {3},
         "another program kept the logger's drive locked"},
        {"write of CONFIG.CFG fails",
         Needs::Strace,
         plain,
         injecting("write", "CONFIG.CFG"),
         {3},
         ConfigureFailed},
        {"fsync of CONFIG.CFG fails",
         Needs::Strace,
         plain,
         injecting("fsync", "CONFIG.CFG"),
         {3},
         ConfigureFailed},
        {"read-back of CONFIG.CFG fails",
         Needs::Strace,
         plain,
         injecting("read", "CONFIG.CFG"),
         {3},
         ConfigureFailed},
        {"read-back of APP.BIN fails",
         Needs::Strace,
         upgrading,
         injecting("read", "APP.BIN"),
         {3},
         UpgradeFailed},
        {"fsync of the drive's folder fails",
         Needs::Strace,
         plain,
         injecting("fsync", ""),
         {3},
         ConfigureFailed},
        {"listing the drive fails",
         Needs::Strace,
         plain,
         injecting("getdents64", ""),
         {1},
         "could not be read"},
        mountedOverWhileWaiting(),
    };
}

bool skipped(Needs needs) {
    const bool root = ::geteuid() == 0;
    const char* reason = nullptr;
    if ((needs == Needs::Root || needs == Needs::RootAndStrace) && !root) {
        reason = "needs root to mount a tmpfs";
    } else if ((needs == Needs::Strace || needs == Needs::RootAndStrace) && !canTrace()) {
        reason = "strace cannot trace here";
    }
    if (reason) {
        std::cout << "  skipped: " << reason << "\n";
    }
    return reason != nullptr;
}

TEST(FaultTable, EveryFaultKeepsThePromise) {
    ASSERT_FALSE(referenceConfig().empty());
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.fault);
        std::cout << "[ FAULT ] " << row.fault << "\n";
        if (skipped(row.needs)) {
            continue;
        }
        Rig rig;
        row.arrange(rig);
        const auto before = rig.outsideNow();
        const Outcome run = runBounded(row.command ? row.command(rig) : configureCommand(rig.drive),
                                       20s, rig.meanwhile);
        if (row.after) {
            row.after(rig);
        }
        EXPECT_FALSE(run.hung);
        EXPECT_EQ(run.signal, 0);
        EXPECT_THAT(row.exitCodes, testing::Contains(run.exitCode)) << run.out << run.err;
        if (row.message) {
            EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        }
        expectMarkerOnlyBesideCompleteFiles(rig, run);
        EXPECT_EQ(rig.outsideNow(), before) << "a file outside the drive changed";
    }
}

// Two runs at once on one drive: one waits for the other, and the drive ends with the complete
// files of one of them.
TEST(FaultTable, TwoRunsAtOnceTakeTurns) {
    const std::vector<std::string> names[] = {{"--device-name", "First"},
                                              {"--device-name", "Second"}};
    const Bytes* configs[] = {&referenceConfig(names[0]), &referenceConfig(names[1])};
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        Rig rig;
        rig.plug(false);
        Outcome runs[2];
        std::thread second(
            [&] { runs[1] = runBounded(configureCommand(rig.drive, names[1]), 20s); });
        runs[0] = runBounded(configureCommand(rig.drive, names[0]), 20s);
        second.join();
        for (const Outcome& run : runs) {
            EXPECT_EQ(run.exitCode, 0) << run.err;
        }
        const Bytes config = readFile(rig.drive / "CONFIG.CFG");
        EXPECT_TRUE(config == *configs[0] || config == *configs[1]);
        EXPECT_EQ(readFile(rig.drive / "OK.DAT"), (Bytes{'O', 'K'}));
    }
}

// The simulated logger meets pipes where its files should be: it never waits on them, and it
// ends soon after it is told to.
TEST(FaultTable, SimulatorNeverWaitsAndEndsWhenTold) {
    Rig rig;
    rig.fifo("DAT.SRC");
    rig.fifo("CONFIG.CFG");
    rig.put("OK.DAT", "OK");
    const fs::path log = rig.base.path() / "simulate.log";
    std::optional<std::chrono::steady_clock::time_point> told;
    const Outcome run =
        runBounded({VELTRA_CLI, "simulate", rig.drive.string()}, 20s, [&](pid_t pid) {
            if (!told && entryExists(rig.drive / "DAT.SRC") == false) {
                ::kill(pid, SIGTERM);  // it has taken the files and gone away
                told = std::chrono::steady_clock::now();
            }
        });
    ASSERT_TRUE(told);
    EXPECT_LT(std::chrono::steady_clock::now() - *told, 1s) << "did not end when told";
    EXPECT_FALSE(run.hung);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("could not write DAT.SRC"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("refused CONFIG.CFG"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace veltra::test
