# The window's road on the real stack: the Qt window's own test program, with the real Linux
# locator and drive files, finds a logger of the upgraded family, upgrades it on a click, and
# writes the held-back settings when it is back.
source "$VELTRA_GUEST_repo/scripts/usb/logger.sh"
FW=36 REV=1 new_logger win 5001 0
connect win
(take win 90 && take win 90) & taker=$!
check "the window finds the logger, upgrades it on a click and hands it the held-back settings" \
  as_user env QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 VELTRA_REAL_LOGGER="Window road" \
  timeout 200 "$VELTRA_GUEST_build/tests/qt/veltra_qt_window_tests" realLoggerRoad
wait $taker
check "the logger took APP.BIN with its 18-byte CONFIG.CFG, then the 353-byte settings, and is back with the new firmware and the name typed in the window" \
  upgraded win "Window road"
