# `cpack -G DEB` in the build folder makes a Debian package of the three
# programs and their man pages.
set(CPACK_PACKAGE_NAME d88rip)
set(CPACK_PACKAGE_VENDOR "d88rip developers")
set(CPACK_PACKAGE_CONTACT "d88rip developers <d88rip@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "cut the data files out of D88 disk images of two titles")
set(CPACK_PACKAGE_DESCRIPTION
    "pelkrip and voskrip each read a D88 floppy disk image holding disks of
one title's set, recognise each disk by its boot sector and write its data
files, byte for byte, into the current directory. Damaged and truncated
images are handled: files with missing sectors are left out or written as
far as they can be read and reported. d88info lists the disks, tracks and
sector IDs of any D88 image.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies (libc, libstdc++, libgcc) are read off the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
