# Finding the logger on a real USB bus: a whole disk and a partitioned medium, removable or not,
# another USB disk beside it, and a drive pulled out with its mount left behind.
source "$VELTRA_GUEST_repo/scripts/usb/logger.sh"
locate() { as_user "$cli" locate "$@"; }
found() {  # SERIAL MOUNT-POINT: the one logger found and selected, and where
  locate --json | jq -e --arg id "USB\\VID_2017&PID_0901\\SN$1" --arg root "$2" \
    '(.loggers | length) == 1 and .loggers[0].deviceId == $id and .loggers[0].root == $root
     and .selected == .loggers[0].drive and .loggers[0].readOnly == false'
}

new_logger whole 1001 0
VID=0781 PID=5567 LABEL=STICK new_logger stick 9 1
connect whole && connect stick
check "udisks2 mounts the logger for the user at /media/tester/LOGGER" \
  grep -q " /media/tester/LOGGER rw,.* - vfat /dev/sd.* rw,uid=1000,gid=1000,.*shortname=mixed" \
  /proc/self/mountinfo
check "locate finds the logger on a whole removable disk, beside another USB disk" \
  found 1001 /media/tester/LOGGER
check "the other USB disk is seen and not taken" \
  eval "locate --verbose | grep -q 'USB\\\\VID_0781&PID_5567\\\\SN9: other vendor/product'"
if [ -n "${VELTRA_GUEST_record:-}" ]; then
  mkdir -p /out/fixtures
  umockdev-record "$(device_of whole)" "$(device_of stick)" > /out/fixtures/whole-disk.umockdev
  grep ' - vfat ' /proc/self/mountinfo > /out/fixtures/whole-disk.mountinfo
  # The locator's tick on the real sysfs, with the logger attached (docs/performance.md).
  as_user "$VELTRA_GUEST_build/bench/veltra_bench" --benchmark_filter='LocatorTick/(ThisMachine|Floor)' \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true > /out/bench.txt 2>&1
fi
unplug whole
unplug stick

REMOVABLE=0 PARTED=1 new_logger parted 1002 0
connect parted
check "locate finds the logger on a partitioned medium (sda1) that is not removable" \
  eval "found 1002 /media/tester/LOGGER && grep -qx 0 /sys/block/sd?/removable && test -b /dev/sd?1"
if [ -n "${VELTRA_GUEST_record:-}" ]; then
  umockdev-record "$(device_of parted)" > /out/fixtures/partitioned.umockdev
  grep ' - vfat ' /proc/self/mountinfo > /out/fixtures/partitioned.mountinfo
fi
as_user udisksctl unmount --no-user-interaction -b "$(device_of parted)" > /dev/null
# Mounted by hand, as udisks2 would, so that no one cleans the mount up after the pull.
mkdir -p /mnt/left
mount -t vfat -o "uid=1000,gid=1000,$VFAT_OPTIONS" \
  "$(device_of parted)" /mnt/left
check "locate finds the logger mounted by hand" found 1002 /mnt/left
unplug parted
check "the drive pulled out with its mount left behind is no logger" \
  eval "grep -q ' /mnt/left ' /proc/self/mountinfo && ! locate --json > /tmp/none.json &&
        jq -e '.loggers == [] and .selected == null' /tmp/none.json"
umount /mnt/left
