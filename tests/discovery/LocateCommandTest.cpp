#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "SysfsTree.h"

namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs the built veltra-cli with these arguments; standard error is dropped.
CliRun runCli(const std::string& arguments) {
    CliRun run;
    const std::string command = std::string("'") + VELTRA_CLI + "' " + arguments + " 2>/dev/null";
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

TEST(LocateCommand, ReportsTheLoggersOfAFakeTreeAsJson) {
    SysfsTree tree;
    const auto sda = tree.addSataDisk("sda", "8:0");
    tree.addPartition(sda, "sda1", "8:1");
    const auto sdb = tree.addUsbDisk("sdb", "8:16", {"2017", "0901", "sn0001"}, 1);
    tree.addPartition(sdb, "sdb1", "8:17");
    tree.addUsbDisk("sdc", "8:32", {"2017", "0901", "SN0002"}, 2);
    tree.addUsbDisk("sdd", "8:48", {"0781", "5567", "X"}, 3);
    tree.mount(30, "8:1", "/", "/", "rw", "/dev/sda1");
    tree.mount(40, "8:17", "/media/u/LOGGER", "/", "rw,nosuid", "/dev/sdb1");
    tree.mount(41, "8:32", "/media/u/LOG 2", "/", "ro,nosuid", "/dev/sdc");
    tree.mount(42, "8:48", "/media/u/STICK", "/", "rw", "/dev/sdd");

    const CliRun run = runCli("locate --json --sysfs-root '" + tree.sysfs().string() +
                              "' --mountinfo '" + tree.mountInfo().string() + "'");
    EXPECT_EQ(run.status, 0);
    const auto expected = nlohmann::json::parse(R"({
        "loggers": [
            {"drive": "D", "root": "/media/u/LOGGER",
             "deviceId": "USB\\VID_2017&PID_0901\\SN0001", "readOnly": false},
            {"drive": "E", "root": "/media/u/LOG 2",
             "deviceId": "USB\\VID_2017&PID_0901\\SN0002", "readOnly": true}],
        "selected": "D"})");
    EXPECT_EQ(nlohmann::json::parse(run.out, nullptr, false), expected) << run.out;

    // Verbose output goes to standard error and leaves the object alone.
    const CliRun verbose = runCli("locate --json --verbose --sysfs-root '" + tree.sysfs().string() +
                                  "' --mountinfo '" + tree.mountInfo().string() + "'");
    EXPECT_EQ(nlohmann::json::parse(verbose.out, nullptr, false), expected) << verbose.out;

    tree.unmount(40);
    tree.unmount(41);
    const CliRun none = runCli("locate --json --sysfs-root '" + tree.sysfs().string() +
                               "' --mountinfo '" + tree.mountInfo().string() + "'");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(nlohmann::json::parse(none.out, nullptr, false),
              nlohmann::json::parse(R"({"loggers": [], "selected": null})"));
}

// The build machine has no logger plugged in.
TEST(LocateCommand, FindsNoLoggerOnThisMachine) {
    const CliRun run = runCli("locate --json");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(nlohmann::json::parse(run.out, nullptr, false),
              nlohmann::json::parse(R"({"loggers": [], "selected": null})"));
}

}  // namespace
