# `cpack -G DEB` in a Linux build folder makes a Debian package of the three
# programs, their man pages, the changelog and the copyright file;
# `cpack -G ZIP` in a Windows build folder makes a zip of the three .exe
# files, the README and the licence.
set(CPACK_PACKAGE_NAME d88rip)
set(CPACK_PACKAGE_VENDOR "the d88rip authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "cut the data files out of D88 disk images of two titles")
list(JOIN D88RIP_RIPPERS ", " rippers)
string(REGEX REPLACE ", ([^,]+)$" " and \\1" rippers "${rippers}")
set(CPACK_PACKAGE_DESCRIPTION
    "${rippers} each read a D88 floppy disk image holding disks of
one title's set, recognise each disk by its boot sector and write its data
files, byte for byte, into the current directory. Damaged and truncated
images are handled, and every file that is not cut whole is named: files
with missing sectors are left out or written as far as they can be read,
files cut from sectors that the image records as unreadable are written,
and an image cut short says so. d88info lists the disks, tracks, sector
IDs and sector status of any D88 image.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# The packages' date: SOURCE_DATE_EPOCH when set, else the date of the
# newest entry of the Debian changelog, so that a copy of the source
# without .git packs the same bytes.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(D88RIP_SOURCE_DATE "$ENV{SOURCE_DATE_EPOCH}")
else()
  file(STRINGS cmake/debian/changelog.in trailers REGEX "^ -- ")
  list(GET trailers 0 newest)
  string(REGEX REPLACE "^ -- .*  " "" newest "${newest}")
  # GNU date, else BSD date (macOS).
  execute_process(COMMAND date -d "${newest}" +%s
    OUTPUT_VARIABLE D88RIP_SOURCE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed ERROR_QUIET)
  if(failed)
    execute_process(
      COMMAND date -j -f "%a, %d %b %Y %H:%M:%S %z" "${newest}" +%s
      OUTPUT_VARIABLE D88RIP_SOURCE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE failed ERROR_QUIET)
  endif()
  if(failed OR NOT D88RIP_SOURCE_DATE MATCHES "^[0-9]+$")
    message(WARNING "cannot read the date of the newest changelog entry: "
      "packages carry the time they are made unless SOURCE_DATE_EPOCH is set")
    set(D88RIP_SOURCE_DATE "")
  endif()
endif()
configure_file(cmake/CPackProjectConfig.cmake.in CPackProjectConfig.cmake
  @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/CPackProjectConfig.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/NormalisePackages.cmake)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_PACKAGE_CONTACT "${D88RIP_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${D88RIP_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # Dependencies (libc, libstdc++, libgcc) are read off the binaries.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # The programs, the man pages and the Debian files; the copyright file
  # carries the licence, and a second copy would be one too many.
  set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};programs;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};manual;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
endif()
include(CPack)
