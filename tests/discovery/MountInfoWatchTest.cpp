#include <gtest/gtest.h>

#include "SysfsTree.h"
#include "platform/linux/MountInfoWatch.h"

namespace veltra {
namespace {

TEST(MountInfoWatch, TheKernelTableIsHandedOutOnceUntilItChanges) {
    MountInfoWatch watch("/proc/self/mountinfo");
    const auto first = watch.changedText();
    ASSERT_TRUE(first);
    EXPECT_NE(first->find(" - "), std::string::npos);
    // Nothing was mounted since: poll() reports no change.
    EXPECT_FALSE(watch.changedText());
    EXPECT_FALSE(watch.changedText());
}

TEST(MountInfoWatch, AFileIsHandedOutWhenItsContentsChange) {
    SysfsTree tree;
    MountInfoWatch watch(tree.mountInfo());
    const auto first = watch.changedText();
    ASSERT_TRUE(first);
    EXPECT_FALSE(watch.changedText());

    tree.mount(40, "8:16", "/media/a");
    const auto second = watch.changedText();
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
    EXPECT_FALSE(watch.changedText());

    tree.unmount(40);
    EXPECT_EQ(watch.changedText(), first);
}

TEST(MountInfoWatch, AMissingTableIsEmpty) {
    SysfsTree tree;
    MountInfoWatch watch(tree.base() / "none");
    EXPECT_EQ(watch.changedText(), std::string());
    EXPECT_FALSE(watch.changedText());
}

}  // namespace
}  // namespace veltra
