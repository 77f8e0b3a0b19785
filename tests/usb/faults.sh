# A drive that cannot take the files: mounted read-only, write-protected, full. Each write
# fails with the reason named, and nothing of it is left on the disk.
source "$VELTRA_GUEST_repo/scripts/usb/logger.sh"
files() { on_image "$1" mdir -b :: | sed 's|::/||' | sort | tr '\n' ' '; }
refused() {  # NAME REASON FILES-LEFT: configure fails with the reason; only these files stay
  as_user "$cli" configure --device-name "Cold room 9" > /tmp/refused 2>&1
  local code=$?
  cat /tmp/refused
  [ $code = 3 ] && grep -q "not carried out: $2" /tmp/refused && [ "$(files "$1")" = "$3" ]
}

new_logger ro 3001 0
plug ro && as_user udisksctl mount --no-user-interaction -b "$(device_of ro)" -o ro > /dev/null
check "on a read-only mount: refused, the drive is read-only" refused ro "the drive is read-only" "DAT.SRC "
unplug ro

RO=1 new_logger wp 3002 0
connect wp
check "on a write-protected medium: mounted read-only, refused, the drive is read-only" \
  eval 'grep -q " /media/tester/LOGGER ro," /proc/self/mountinfo && refused wp "the drive is read-only" "DAT.SRC "'
unplug wp

new_logger one 3003 0
fill one 1
connect one
check "with one cluster left: refused, the drive is full, no CONFIG.CFG or OK.DAT left" \
  refused one "the drive is full" "DAT.SRC FILLER "
unplug one

FW=36 REV=1 new_logger small 3004 0
fill small 20
connect small
check "too full for APP.BIN: the settings are written for the old firmware, APP.BIN removed" \
  eval 'as_user "$cli" configure --device-name "Cold room 9" > /tmp/small 2>&1; cat /tmp/small; files small;
        grep -q "firmware upgrade failed (the drive is full)" /tmp/small &&
        [ "$(files small)" = "CONFIG.CFG DAT.SRC FILLER OK.DAT " ] && [ "$(size_of small CONFIG.CFG)" = 353 ]'
