#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "SysfsTree.h"
#include "support/RunBounded.h"

namespace {

using Strings = std::vector<std::string>;

// Runs the built veltra-cli with these arguments (over the tree, if one is given).
veltra::test::Outcome runCli(Strings arguments, const SysfsTree* tree = nullptr) {
    if (tree) {
        arguments.insert(arguments.end(), {"--sysfs-root", tree->sysfs().string(), "--mountinfo",
                                           tree->mountInfo().string()});
    }
    arguments.insert(arguments.begin(), {VELTRA_CLI, "locate"});
    return veltra::test::runBounded(arguments, std::chrono::seconds(30));
}

nlohmann::json parsed(const veltra::test::Outcome& run) {
    return nlohmann::json::parse(run.out, nullptr, false);
}

const auto NoLogger = nlohmann::json::parse(R"({"loggers": [], "selected": null})");

TEST(LocateCommand, ReportsTheLoggersOfAFakeTreeAndWhyTheOtherMountsAreNot) {
    SysfsTree tree;
    tree.addPartition(tree.addSataDisk("sda", "8:0"), "sda1", "8:1");
    tree.addPartition(tree.addUsbDisk("sdb", "8:16", {"2017", "0901", "snaz01"}, 1), "sdb1",
                      "8:17");
    tree.addUsbDisk("sdc", "8:32", {"2017", "0901", "SN0002"}, 2);
    tree.addUsbDisk("sdd", "8:48", {"0781", "0901", "X"}, 3);  // the same product id
    tree.addVirtual("loop0", "7:0");
    tree.mount(30, "8:1", "/", "/", "rw", "/dev/sda1");
    tree.mount(40, "8:17", "/media/u/LOGGER", "/", "rw,nosuid", "/dev/sdb1");
    tree.mount(41, "8:32", "/media/u/LOG 2", "/", "ro,nosuid", "/dev/sdc");
    tree.mount(42, "8:48", "/media/u/STICK", "/", "rw", "/dev/sdd");
    tree.mount(50, "7:0", "/snap/core/1", "/", "ro", "/dev/loop0");
    tree.mount(52, "8:17", "/srv/bound", "/photos", "rw", "/dev/sdb1");  // a bind mount
    tree.mount(53, "0:45", "/run/user/1000", "/", "rw", "tmpfs");
    tree.mount(54, "8:65", "/media/u/GONE", "/", "rw", "/dev/sde1");  // not in sysfs any more

    const auto run = runCli({"--json"}, &tree);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(parsed(run), nlohmann::json::parse(R"({
        "loggers": [
            {"drive": "D", "root": "/media/u/LOGGER",
             "deviceId": "USB\\VID_2017&PID_0901\\SNAZ01", "readOnly": false},
            {"drive": "E", "root": "/media/u/LOG 2",
             "deviceId": "USB\\VID_2017&PID_0901\\SN0002", "readOnly": true}],
        "selected": "D"})"));

    const auto verbose = runCli({"--verbose"}, &tree);
    // Where it looked and why each mount, drive and disk was or was not taken.
    for (const char* line :
         {"/snap/core/1 (/dev/loop0, 7:0): virtual device (devices/virtual/block/loop0)\n",
          "/srv/bound (/dev/sdb1, 8:17): shows only /photos of its filesystem\n",
          "/run/user/1000 (tmpfs, 0:45): not a block device\n",
          "/media/u/GONE (/dev/sde1, 8:65): no device in sysfs\n",
          "  C: fixed, /, device number 8388608\n", "): no USB parent (SYSFS\\DEVICES/PCI0000",
          "  8388656USB\\VID_0781&PID_0901\\X: other vendor/product\n",
          "  PFAD_C_8388608: not joined (no USB disk with device number 8388608)\n",
          "  PFAD_D\\VID_2017&PID_0901\\SNAZ01: taken\n", "SN0002: a logger, after the one taken\n",
          "E: /media/u/LOG 2  USB\\VID_2017&PID_0901\\SN0002  (read-only)\nselected: D\n"}) {
        EXPECT_NE(verbose.out.find(line), std::string::npos) << line << " in\n" << verbose.out;
    }

    tree.unmount(40);
    tree.unmount(41);
    EXPECT_EQ(parsed(runCli({"--json"}, &tree)), NoLogger);
    // The build machine has no logger plugged in.
    const auto here = runCli({"--json"});
    EXPECT_EQ(here.exitCode, 1);
    EXPECT_EQ(parsed(here), NoLogger);
}

// The loggers' devices as a real kernel shows them, recorded with umockdev-record on a real
// USB stack (tests/data/usb/README.md) and replayed to the real Linux back end.
TEST(LocateCommand, FindsTheLoggerInRecordingsOfRealDevices) {
    if (std::string(VELTRA_UMOCKDEV_RUN).find("NOTFOUND") != std::string::npos) {
        GTEST_SKIP() << "umockdev-run is not installed (scripts/install-deps)";
    }
    const struct {
        const char* recording;
        const char* serial;
        const char* note;  // in --verbose
    } cases[] = {
        {"whole-disk", "SN1001", "USB\\VID_0781&PID_5567\\SN9: other vendor/product\n"},
        {"partitioned", "SN1002", "PFAD_C\\VID_2017&PID_0901\\SN1002: taken\n"},
    };
    for (const auto& [recording, serial, note] : cases) {
        const std::string data = std::string(VELTRA_USB_DATA) + "/" + recording;
        Strings command{VELTRA_UMOCKDEV_RUN, "-d",     data + ".umockdev", "--",
                        VELTRA_CLI,          "locate", "--mountinfo",      data + ".mountinfo",
                        "--verbose"};
        auto run = veltra::test::runBounded(command, std::chrono::seconds(30));
        EXPECT_NE(run.out.find(note), std::string::npos) << run.out << run.err;
        command.back() = "--json";
        run = veltra::test::runBounded(command, std::chrono::seconds(30));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const std::string logger = R"({"drive": "C", "root": "/media/tester/LOGGER", )"
                                   R"("deviceId": "USB\\VID_2017&PID_0901\\)" +
                                   std::string(serial) + R"(", "readOnly": false})";
        EXPECT_EQ(parsed(run),
                  nlohmann::json::parse(R"({"loggers": [)" + logger + R"(], "selected": "C"})"))
            << recording;
    }
}

// Sources that cannot be read give no answer rather than "no logger"; a FIFO, a device or a
// folder in the mount table's place is refused at once instead of being waited on.
TEST(LocateCommand, UnreadableSourcesAreReportedWithExitThree) {
    SysfsTree tree;
    const std::string fifo = (tree.base() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string sysfs = tree.sysfs().string();
    // The mount table and the sysfs folder.
    const std::pair<std::string, std::string> cases[] = {
        {"/nonexistent", sysfs},
        {"/dev/zero", sysfs},
        {fifo, sysfs},
        {tree.base().string(), sysfs},
        {tree.mountInfo().string(), "/nonexistent"}};
    for (const auto& [mountInfo, sysfsRoot] : cases) {
        const auto run = runCli({"--mountinfo", mountInfo, "--sysfs-root", sysfsRoot});
        EXPECT_EQ(run.exitCode, 3) << mountInfo;
        EXPECT_EQ(run.err.rfind("veltra-cli: cannot read ", 0), 0u) << run.err;
    }
}

}  // namespace
