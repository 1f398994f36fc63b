# The Debian package of what `cmake --install` puts in place: `cpack` in the build folder,
# or the `package` target.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvarin)
set(CPACK_PACKAGE_CONTACT "Kelvarin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "diskmag reader: a chart magazine with its artwork and music")
set(CPACK_PACKAGE_DESCRIPTION [[
Kelvarin carries one complete issue of a chart magazine: charts, a release
listing, articles, letters, credits, help and rules, with its artwork, the
intro's chip music played by an emulated 68000, and four tracker tunes.
The renderers xmrender and sc68render turn XM modules and SC68 or SNDH chip
music into WAV files.]])
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Library dependencies are read from the binaries rather than named by hand per release.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
