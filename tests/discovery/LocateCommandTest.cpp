#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "SysfsTree.h"

namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs the built veltra-cli with these arguments, for at most 30 seconds; standard error is
// dropped, or kept after standard output.
CliRun runCli(const std::string& arguments, bool keepErrors = false) {
    CliRun run;
    const std::string command = std::string("timeout 30 '") + VELTRA_CLI + "' " + arguments +
                                (keepErrors ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// `locate --json` over a fake tree; its output parsed, nothing if it is not JSON.
nlohmann::json locate(const SysfsTree& tree, int expectedStatus, const std::string& more = "") {
    const CliRun run = runCli("locate --json " + more + " --sysfs-root '" + tree.sysfs().string() +
                              "' --mountinfo '" + tree.mountInfo().string() + "'");
    EXPECT_EQ(run.status, expectedStatus) << run.out;
    return nlohmann::json::parse(run.out, nullptr, false);
}

const auto NoLogger = nlohmann::json::parse(R"({"loggers": [], "selected": null})");

TEST(LocateCommand, ReportsTheLoggersOfAFakeTreeAsJson) {
    SysfsTree tree;
    tree.addPartition(tree.addSataDisk("sda", "8:0"), "sda1", "8:1");
    tree.addPartition(tree.addUsbDisk("sdb", "8:16", {"2017", "0901", "sn0001"}, 1), "sdb1",
                      "8:17");
    tree.addUsbDisk("sdc", "8:32", {"2017", "0901", "SN0002"}, 2);
    tree.addUsbDisk("sdd", "8:48", {"0781", "5567", "X"}, 3);
    tree.mount(30, "8:1", "/", "/", "rw", "/dev/sda1");
    tree.mount(40, "8:17", "/media/u/LOGGER", "/", "rw,nosuid", "/dev/sdb1");
    tree.mount(41, "8:32", "/media/u/LOG 2", "/", "ro,nosuid", "/dev/sdc");
    tree.mount(42, "8:48", "/media/u/STICK", "/", "rw", "/dev/sdd");

    const auto expected = nlohmann::json::parse(R"({
        "loggers": [
            {"drive": "D", "root": "/media/u/LOGGER",
             "deviceId": "USB\\VID_2017&PID_0901\\SN0001", "readOnly": false},
            {"drive": "E", "root": "/media/u/LOG 2",
             "deviceId": "USB\\VID_2017&PID_0901\\SN0002", "readOnly": true}],
        "selected": "D"})");
    EXPECT_EQ(locate(tree, 0), expected);
    // Verbose output goes to standard error and leaves the object alone.
    EXPECT_EQ(locate(tree, 0, "--verbose"), expected);

    tree.unmount(40);
    tree.unmount(41);
    EXPECT_EQ(locate(tree, 1), NoLogger);
}

// Sources that cannot be read give no answer rather than "no logger"; a FIFO, a device or a
// folder in the mount table's place is refused at once instead of being waited on.
TEST(LocateCommand, UnreadableSourcesAreReportedWithExitThree) {
    SysfsTree tree;
    const std::string fifo = (tree.base() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string sysfs = " --sysfs-root '" + tree.sysfs().string() + "'";
    const std::string table = " --mountinfo '" + tree.mountInfo().string() + "'";
    const std::string cases[] = {
        "--mountinfo /nonexistent" + sysfs,   "--mountinfo /dev/zero" + sysfs,
        "--mountinfo '" + fifo + "'" + sysfs, "--mountinfo '" + tree.base().string() + "'" + sysfs,
        "--sysfs-root /nonexistent" + table,
    };
    for (const std::string& arguments : cases) {
        const CliRun run = runCli("locate " + arguments, true);
        EXPECT_EQ(run.status, 3) << arguments;
        EXPECT_EQ(run.out.rfind("veltra-cli: cannot read ", 0), 0u) << run.out;
    }
}

// The build machine has no logger plugged in.
TEST(LocateCommand, FindsNoLoggerOnThisMachine) {
    const CliRun run = runCli("locate --json");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(nlohmann::json::parse(run.out, nullptr, false), NoLogger);
}

}  // namespace
