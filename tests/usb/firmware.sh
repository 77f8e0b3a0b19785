# The firmware road over the real stack: a logger of the upgraded family takes APP.BIN, comes
# back with its new firmware and gets the settings held back for it.
source "$VELTRA_GUEST_repo/scripts/usb/logger.sh"
FW=36 REV=1 new_logger up 2001 0
connect up
(take up && take up) & taker=$!
check "configure --wait --verify upgrades the logger and verifies the held-back settings" \
  eval 'as_user "$cli" configure --device-name "Upgraded" --wait --verify --timeout 90 | grep -qx verified'
wait $taker
check "the logger took APP.BIN of 118,788 bytes with its 18-byte CONFIG.CFG, then 353 bytes, and is back with the new firmware and the settings" \
  upgraded up "Upgraded"
