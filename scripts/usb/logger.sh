# Sourced by the scenarios in the guest. Loggers made of real USB gadgets: a configfs gadget
# with the logger's ids whose mass-storage function offers a FAT image, bound to one of the
# dummy controllers, so that the guest's own USB host side enumerates it as a disk. The
# firmware's side is played by `veltra-cli simulate` on a folder of its own: while the gadget
# is unplugged, the files are carried between the image and that folder.
cli=$VELTRA_GUEST_build/src/cli/veltra-cli
gadgets=/sys/kernel/config/usb_gadget
user=tester
set -o pipefail
# usb-storage waits 1 s before it scans a new disk; the scenarios plug loggers in often.
echo 0 > /sys/module/usb_storage/parameters/delay_use
# The options udisks2 mounts vfat with, beside uid= and gid=.
VFAT_OPTIONS=shortname=mixed,utf8,flush,errors=remount-ro
# A scenario leaves the bus as it found it: every gadget unplugged, its simulators ended.
leave() {
  local g
  for g in "$gadgets"/*/UDC; do [ -z "$(cat "$g")" ] || echo "" > "$g"; done
  kill $(jobs -p) 2> /dev/null
  until_ok 20 eval '! ls /sys/block/sd* > /dev/null'
}
trap leave EXIT

# check DESCRIPTION COMMAND...: one result line per check; the command's output if it fails.
check() {
  local what=$1
  shift
  if "$@" > /tmp/check.out 2>&1; then
    echo "ok $what" | tee -a /out/results
  else
    echo "FAIL $what" | tee -a /out/results
    sed 's/^/    /' /tmp/check.out | head -20
  fi
}
# The guest has no PAM for runuser or su.
as_user() { setpriv --reuid=1000 --regid=1000 --clear-groups env HOME=/home/$user USER=$user "$@"; }
# until SECONDS COMMAND...: waits, bounded, for the command to succeed.
until_ok() {
  local end=$(( $(date +%s) + $1 ))
  shift
  until "$@" 2> /dev/null; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.2
  done
}

# The image's mtools address (the partition's offset on a partitioned medium).
img() { echo "-i /tmp/$1.img$(cat /tmp/$1.at)"; }
on_image() {  # NAME mtools-command args...: run on the image, ::NAME paths
  local name=$1 tool=$2
  shift 2
  "$tool" $(img "$name") "$@"
}
size_of() { on_image "$1" mdir -b "::$2" > /dev/null 2>&1 && on_image "$1" mtype "::$2" | wc -c; }

# new_logger NAME SERIAL UDC-NUMBER, with VID PID FW REV REMOVABLE PARTED KIB as variables.
# Without the logger's ids no firmware runs: a plain USB disk.
new_logger() {
  local name=$1 serial=$2 g=$gadgets/$1 kib=${KIB:-4096}
  # Names are not reused across scenarios, but a stale image would make mkfs.vfat -C fail.
  rm -rf "/tmp/$name.img" "/tmp/$name.fw" "/tmp/$name.took"
  echo "$3" > "/tmp/$name.udc"
  if [ "${PARTED:-0}" = 1 ]; then
    truncate -s $(((kib + 1024) * 1024)) "/tmp/$name.img"
    echo 'start=2048, type=0c' | sfdisk -q "/tmp/$name.img"
    mkfs.vfat -s 4 -n "${LABEL:-LOGGER}" --offset 2048 "/tmp/$name.img" "$kib" > /dev/null
    echo '@@1M' > "/tmp/$name.at"
  else
    mkfs.vfat -s 4 -n "${LABEL:-LOGGER}" -C "/tmp/$name.img" "$kib" > /dev/null
    : > "/tmp/$name.at"
  fi
  if [ "${VID:-2017}" = 2017 ]; then
    mkdir -p "/tmp/$name.fw"
    "$cli" simulate "/tmp/$name.fw" --serial "$serial" --firmware-version "${FW:-37}" \
      --firmware-revision "${REV:-2}" --configure-time 0 --upgrade-time 0 > "/tmp/$name.sim" &
    until_ok 20 test -s "/tmp/$name.fw/DAT.SRC" || echo "guest: the simulator did not start"
    on_image "$name" mcopy -o "/tmp/$name.fw/DAT.SRC" ::DAT.SRC
  fi
  mkdir -p "$g/strings/0x409" "$g/configs/c.1" "$g/functions/mass_storage.0"
  echo "0x${VID:-2017}" > "$g/idVendor"
  echo "0x${PID:-0901}" > "$g/idProduct"
  echo "SN$serial" > "$g/strings/0x409/serialnumber"
  echo "${REMOVABLE:-1}" > "$g/functions/mass_storage.0/lun.0/removable"
  echo "${RO:-0}" > "$g/functions/mass_storage.0/lun.0/ro"  # a write-protected medium
  echo "/tmp/$name.img" > "$g/functions/mass_storage.0/lun.0/file"
  [ -e "$g/configs/c.1/mass_storage.0" ] || ln -s "$g/functions/mass_storage.0" "$g/configs/c.1/"
}

# fill NAME CLUSTERS: fills the unplugged logger's disk up to that many free clusters.
fill() {
  local free cluster
  free=$(on_image "$1" mdir :: | grep 'bytes free' | tr -dc 0-9)
  cluster=$(( $(on_image "$1" minfo :: | sed -n 's/^cluster size: \([0-9]*\) sectors/\1/p') * 512 ))
  head -c $((free - $2 * cluster)) /dev/zero > /tmp/filler
  on_image "$1" mcopy /tmp/filler ::FILLER
}

# The logger's block device (its partition on a partitioned medium) while it is plugged in.
device_of() {
  local b
  for b in /sys/block/sd*; do
    case "$(readlink -f "$b")" in
      */dummy_hcd.$(cat "/tmp/$1.udc")/*)
        [ -s "/tmp/$1.at" ] && echo "/dev/${b##*/}1" || echo "/dev/${b##*/}"
        return 0 ;;
    esac
  done
  return 1
}
# plug NAME: binds the gadget and waits for its disk; unplug NAME: a real unplug.
plug() {
  echo "dummy_udc.$(cat "/tmp/$1.udc")" > "$gadgets/$1/UDC"
  until_ok 30 device_of "$1" > /dev/null && until_ok 30 test -b "$(device_of "$1")" &&
    udevadm settle -t 20
}
unplug() {
  [ -z "$(cat "$gadgets/$1/UDC")" ] || echo "" > "$gadgets/$1/UDC"
  until_ok 30 eval "! device_of $1 > /dev/null"
}
# mount_logger NAME: mounts it as the desktop does (udisks2, for the user); its mount point.
mount_logger() {
  local dev
  dev=$(device_of "$1") || return 1
  as_user udisksctl mount --no-user-interaction -b "$dev" | sed -n 's/^Mounted .* at \(.*\)$/\1/p' |
    sed 's/\.$//' > "/tmp/$1.mnt"
  [ -s "/tmp/$1.mnt" ] && cat "/tmp/$1.mnt"
}
connect() { plug "$1" && mount_logger "$1" > /dev/null; }

# take NAME: the firmware's side once: waits for OK.DAT on the image, is pulled out, hands the
# files to the simulator and writes the DAT.SRC it comes back with, then is plugged in again.
take() {
  local name=$1 fw=/tmp/$1.fw f size
  until_ok "${2:-60}" on_image "$name" mdir -b ::OK.DAT > /dev/null || return 1
  sleep 0.3
  unplug "$name"
  rm -f "$fw/DAT.SRC"
  for f in APP.BIN CONFIG.CFG OK.DAT; do
    if size=$(size_of "$name" "$f"); then
      echo "$f $size" >> "/tmp/$name.took"
      on_image "$name" mcopy -n "::$f" "$fw/$f" && on_image "$name" mdel "::$f"
    fi
  done
  until_ok 20 eval "test -s $fw/DAT.SRC && ! test -e $fw/OK.DAT" || return 1
  on_image "$name" mcopy -o "$fw/DAT.SRC" ::DAT.SRC
  connect "$name"
}

# upgraded NAME DEVICE-NAME: the logger took APP.BIN with its 18-byte CONFIG.CFG, then the
# 353 bytes of the held-back settings, and is back with the new firmware and that name.
upgraded() {
  grep -qx "APP.BIN 118788" "/tmp/$1.took" && grep -qx "CONFIG.CFG 18" "/tmp/$1.took" &&
    grep -qx "CONFIG.CFG 353" "/tmp/$1.took" && on_image "$1" mtype ::DAT.SRC > /tmp/dat &&
    "$cli" inspect --json /tmp/dat | jq -e --arg name "$2" \
      '.device.firmwareRevision == 2 and .parameters.deviceName == $name' > /dev/null
}
