# The normal road over the real stack: configure, the plug pulled at once, the logger takes
# its settings and comes back; --verify and watch across the real unplug and re-plug.
source "$VELTRA_GUEST_repo/scripts/usb/logger.sh"
configure() { as_user "$cli" configure "$@"; }
reports() { on_image log mtype ::DAT.SRC > /tmp/dat && "$cli" inspect /tmp/dat | grep -q "$1"; }

new_logger log 1001 0
connect log
check "configure writes the settings to the logger plugged in" configure --device-name "Cold room 2"
unplug log  # at once: no sync, no unmount
check "pulled at once, the disk holds CONFIG.CFG of 353 bytes and OK.DAT" \
  eval '[ "$(size_of log CONFIG.CFG)" = 353 ] && [ "$(on_image log mtype ::OK.DAT)" = OK ]'
check "the logger takes them and comes back with them" \
  eval 'take log && reports "Cold room 2" && [ "$("$cli" locate --json | jq -r .selected)" != null ]'
take log & taker=$!
check "configure --verify across the real unplug and re-plug" \
  eval 'configure --sampling-interval 300 --verify --timeout 60 | grep -qx verified'
wait $taker
unplug log
(as_user "$cli" watch --device-name "Cold room 3" --verify --count 1 > /tmp/watch 2>&1; echo $? >> /tmp/watch) &
sleep 1
connect log
take log & taker=$!
check "watch --count 1 --verify configures the logger when it is plugged in, and verifies it" \
  eval 'until_ok 90 grep -qx 0 /tmp/watch && grep -q "verified" /tmp/watch && reports "Cold room 3"'
wait $taker
