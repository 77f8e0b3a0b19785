#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "SysfsTree.h"
#include "support/RunBounded.h"

namespace {

using veltra::test::runBounded;
using Strings = std::vector<std::string>;

// Runs the built veltra-cli with these arguments, for at most 30 seconds.
veltra::test::Outcome runCli(Strings arguments) {
    arguments.insert(arguments.begin(), VELTRA_CLI);
    return runBounded(arguments, std::chrono::seconds(30));
}

// `locate --json` over a fake tree; its output parsed, nothing if it is not JSON.
nlohmann::json locate(const SysfsTree& tree, int expectedStatus, Strings more = {}) {
    more.insert(more.end(),
                {"--sysfs-root", tree.sysfs().string(), "--mountinfo", tree.mountInfo().string()});
    more.insert(more.begin(), {"locate", "--json"});
    const auto run = runCli(more);
    EXPECT_EQ(run.exitCode, expectedStatus) << run.out << run.err;
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
    EXPECT_EQ(locate(tree, 0, {"--verbose"}), expected);

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
    const std::string sysfs = tree.sysfs().string();
    const Strings cases[] = {
        {"locate", "--mountinfo", "/nonexistent", "--sysfs-root", sysfs},
        {"locate", "--mountinfo", "/dev/zero", "--sysfs-root", sysfs},
        {"locate", "--mountinfo", fifo, "--sysfs-root", sysfs},
        {"locate", "--mountinfo", tree.base().string(), "--sysfs-root", sysfs},
        {"locate", "--sysfs-root", "/nonexistent", "--mountinfo", tree.mountInfo().string()},
    };
    for (const Strings& arguments : cases) {
        const auto run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 3) << arguments[2];
        EXPECT_EQ(run.err.rfind("veltra-cli: cannot read ", 0), 0u) << run.err;
    }
}

// The build machine has no logger plugged in.
TEST(LocateCommand, FindsNoLoggerOnThisMachine) {
    const auto run = runCli({"locate", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(nlohmann::json::parse(run.out, nullptr, false), NoLogger);
}

}  // namespace
