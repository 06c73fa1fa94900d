# The Debian package: `cpack` in a build folder (scripts/package) makes tarnwick_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "${TARNWICK_AUTHOR}")
set(CPACK_PACKAGE_CONTACT "${TARNWICK_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "network monitor for the system tray: ping and link speed")
# The extended description below the summary: lines of at most 80 characters, an empty line between paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tarnwick pings a list of hosts every 2 seconds and measures the download and
upload rate from the interface counters. The tray icon shows the latency of the
first host; a click opens a panel with per-host statistics and a five-minute
chart, a log of network changes, a hotspot data counter and the Tailscale exit
node. An advanced view lists the Wi-Fi link, addresses, router and DNS, and
per-interface and per-process traffic.

The package also holds tarnwick-widget, a desktop widget showing the latest
figures. The interface is in Polish.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from the binaries. What they load or run is added by hand: the SQLite driver Qt SQL loads for
# the history, and the ping tool. Tailscale is shown when present.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, iputils-ping")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS tailscale)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
