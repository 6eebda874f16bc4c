# The Debian package (scripts/package.sh runs cpack): the installed tree under /usr, with the
# library dependencies worked out by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME thermobadge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ThermoBadge project")
set(CPACK_PACKAGE_CONTACT "ThermoBadge project <thermobadge@example.net>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://thermobadge.example.net/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop indicator of the outdoor temperature")
# Lines as they appear in the control file (at most 80 columns); an empty line parts paragraphs.
set(CPACK_PACKAGE_DESCRIPTION "\
ThermoBadge draws the latest outdoor temperature over a skin picture in a
borderless window that stays on top of the desktop, and shows it as digits in
the tray. The window can be scaled, made transparent and given other looks
with the look editor.

The reading comes from a temperature server polled over UDP. The
thermobadge-server program in this package serves the temperature of a town
from a weather service, or that of a 1-wire or hwmon sensor of your own, and
comes with a systemd user unit (not enabled).")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ThermoBadge project <thermobadge@example.net>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the X11 platform plugin, Qt's own
# translations (its dialogs and buttons in the user's language), and the faces the skins name.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-dejavu-core")
include(CPack)
