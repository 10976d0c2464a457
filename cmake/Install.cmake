# What `cmake --install` puts where, by component:
#   programs       the programs: each title's ripper and d88info
#   manual         their man pages (not on Windows)
#   documentation  README.md and LICENSE; on Windows the users' guides,
#                  README.txt, LICENSE.txt and expat's LICENSE-expat.txt
#   debian         the changelog and copyright file a Debian package needs;
#                  only the .deb takes them, never a plain install
# Folders made by an install or a package are rwxr-xr-x whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE
    OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(WIN32)
  # A folder to unpack anywhere, for users: the programs, a guide to each
  # rendered from its man page (one source, so they never drift), a short
  # README.txt and the licences, the text files with Windows' line ends.
  install(TARGETS ${D88RIP_RIPPERS} d88info RUNTIME DESTINATION .
          COMPONENT programs)
  # Each guide's SEE ALSO names link the guides beside it.
  find_program(MANDOC mandoc REQUIRED)
  set(guides)
  set(links)
  foreach(program IN LISTS D88RIP_RIPPERS ITEMS d88info)
    list(APPEND links -e
      "s|<b>${program}</b>(1)|<a href=\"${program}.html\"><b>${program}</b>(1)</a>|g")
  endforeach()
  foreach(program IN LISTS D88RIP_RIPPERS ITEMS d88info)
    set(guide ${CMAKE_CURRENT_BINARY_DIR}/guide/${program}.html)
    add_custom_command(OUTPUT ${guide}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/guide
      COMMAND sh -c "\"$0\" -T html \"$1\" > \"$2\"" ${MANDOC}
        man/${program}.1 ${guide}.page
      COMMAND sed -i ${links} ${guide}.page
      COMMAND ${CMAKE_COMMAND} -E rename ${guide}.page ${guide}
      DEPENDS man/${program}.1
      WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
      VERBATIM)
    list(APPEND guides ${guide})
  endforeach()
  add_custom_target(guides ALL DEPENDS ${guides})
  configure_file(cmake/windows/README.txt.in README.txt @ONLY
    NEWLINE_STYLE CRLF)
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  # d88info links expat: its licence notice goes beside the programs'.
  configure_file(${D88RIP_MINGW_DEPS}/share/licenses/expat/COPYING
    LICENSE-expat.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${guides} ${CMAKE_CURRENT_BINARY_DIR}/README.txt
          ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
          ${CMAKE_CURRENT_BINARY_DIR}/LICENSE-expat.txt
          DESTINATION . COMPONENT documentation)
  return()
endif()

include(GNUInstallDirs)
install(TARGETS ${D88RIP_RIPPERS} d88info RUNTIME
        DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT documentation)

# Man pages and the changelog, compressed as Debian wants them; gzip -n
# leaves out the time stamp, so the same source gives the same bytes.
set(D88RIP_MAINTAINER "d88rip developers <d88rip@example.org>" CACHE STRING
    "Name and address of whoever packages this build")
configure_file(cmake/debian/changelog.in debian/changelog @ONLY)
set(compressed)
set(man_pages ${D88RIP_RIPPERS} d88info)
list(TRANSFORM man_pages REPLACE "(.+)" "man/\\1.1")
foreach(source ${man_pages} ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/compressed
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${source} ${output}
    DEPENDS ${source}
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(compressed_documents ALL DEPENDS ${compressed})
list(FILTER compressed INCLUDE REGEX "\\.1\\.gz$")
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT manual)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)

# The licence as a machine-readable Debian copyright file: the text of
# LICENSE, each line indented by one space and blank lines as " .".
file(READ LICENSE license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: d88rip

Files: *
Copyright: 2026 the d88rip authors
License: Expat
 ${license}
")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)
