# The plug pulled mid-write at many moments of configure, on the normal and the upgrade road:
# OK.DAT is never left beside anything but the complete files it is for.
source "$VELTRA_GUEST_repo/scripts/usb/logger.sh"
# Mounted by hand with udisks2's options: the desktop's mount is proven in the other scenarios,
# and here it would be most of each round's time.
connect() {
  plug "$1" && mkdir -p "/mnt/$1" && mount -t vfat -o "uid=1000,gid=1000,$VFAT_OPTIONS" \
    "$(device_of "$1")" "/mnt/$1"
}
unplug_and_umount() { unplug "$1"; umount -l "/mnt/$1" 2> /dev/null; }
configure() { timeout 60 setpriv --reuid=1000 --regid=1000 --clear-groups "$cli" configure --device-name "$1"; }
whole() {  # NAME: OK.DAT only beside a complete configuration, or a complete upgrade
  on_image "$1" mdir -b ::OK.DAT > /dev/null 2>&1 || return 0
  local cfg app
  cfg=$(size_of "$1" CONFIG.CFG) app=$(size_of "$1" APP.BIN)
  # The marker itself may be cut short (its entry made, its two bytes not yet written): the
  # logger acts on its presence, so only what it points at must be whole.
  if [ "$cfg" = 18 ]; then
    [ "$app" = 118788 ]
  else
    [ "$cfg" = 353 ] && [ -z "$app" ] && on_image "$1" mtype ::CONFIG.CFG | tail -c 5 | od -An -tx1 | grep -q '55 05 .. ff'
  fi
}
rounds() {  # NAME FIRST-DELAY STEP COUNT
  local i d bad=0 complete=0 f
  for ((i = 0; i < $4; i++)); do
    d=$(awk "BEGIN {print $2 + $i * $3}")
    connect "$1" || { echo "round $i: not plugged in"; bad=$((bad + 1)); continue; }
    configure "Round $i" > /dev/null 2>&1 &
    sleep "$d"
    unplug_and_umount "$1"
    wait $!
    whole "$1" || { echo "round $i, pulled after $d s: OK.DAT beside an incomplete file:" \
      "CONFIG.CFG $(size_of "$1" CONFIG.CFG) bytes, APP.BIN $(size_of "$1" APP.BIN) bytes," \
      "OK.DAT '$(on_image "$1" mtype ::OK.DAT | od -An -c | tr -s ' ')'"; bad=$((bad + 1)); }
    on_image "$1" mdir -b ::OK.DAT > /dev/null 2>&1 && complete=$((complete + 1))
    for f in OK.DAT CONFIG.CFG APP.BIN; do on_image "$1" mdel "::$f" 2> /dev/null; done
    fsck.vfat -a -w "/tmp/$1.img" > /dev/null  # what a cut write left: lost clusters, dirty bit
  done
  echo "$1: pulled $4 times from $2 s on, $complete with the files complete, $bad violations" | tee /dev/console
  [ "$bad" = 0 ] && [ "$complete" -gt 0 ] && [ "$complete" -lt "$4" ]
}
new_logger plain 4001 0
# configure takes about 0.45 s here, its writes the last 0.25 s of it.
check "pulled 20 times during configure: never OK.DAT beside an incomplete CONFIG.CFG" rounds plain 0.1 0.025 20
check "after the pulls the next configure succeeds" eval 'connect plain && configure Next && whole plain'
unplug_and_umount plain
FW=36 REV=1 new_logger pulled_up 4002 0
check "pulled 10 times during an upgrade: never OK.DAT beside an incomplete APP.BIN" rounds pulled_up 0.2 0.08 10
check "after the pulls the next upgrade succeeds" \
  eval 'connect pulled_up && { configure Next; [ $? = 4 ]; } && [ "$(size_of pulled_up CONFIG.CFG)" = 18 ] && whole pulled_up'
