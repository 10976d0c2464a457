# Run by cpack once it has made its packages (CPACK_POST_BUILD_SCRIPTS), so
# that the same source gives the same bytes whatever file system and umask
# it was packed under. cpack already dates every entry by SOURCE_DATE_EPOCH
# (cmake/CPackProjectConfig.cmake.in); what is left:
# - a .deb counts what the file system says each folder takes into its
#   Installed-Size, and makes its folders under the umask: it is rebuilt
#   with dpkg-deb, folders rwxr-xr-x, the size counted as dpkg-gencontrol
#   counts it (each file's KiB, one per folder);
# - a zip lists its entries in the order the folder gave them:
#   strip-nondeterminism sorts them.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.deb$")
    set(tree "${CPACK_TOPLEVEL_DIRECTORY}/normalised")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb -R "${package}" "${tree}"
      COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${tree}"
      "${tree}/*")
    set(kib 0)
    foreach(entry IN LISTS entries)
      if(IS_DIRECTORY "${tree}/${entry}")
        file(CHMOD "${tree}/${entry}" DIRECTORY_PERMISSIONS OWNER_READ
          OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
          WORLD_EXECUTE)
      endif()
      if(entry MATCHES "^DEBIAN")
        continue()
      elseif(IS_DIRECTORY "${tree}/${entry}")
        math(EXPR kib "${kib} + 1")
      else()
        file(SIZE "${tree}/${entry}" size)
        math(EXPR kib "${kib} + (${size} + 1023) / 1024")
      endif()
    endforeach()
    file(CHMOD "${tree}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE
      OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    file(READ "${tree}/DEBIAN/control" control)
    string(REGEX REPLACE "Installed-Size: [0-9]+" "Installed-Size: ${kib}"
      control "${control}")
    file(WRITE "${tree}/DEBIAN/control" "${control}")
    # dpkg-deb dates each entry by its file, clamped to SOURCE_DATE_EPOCH
    # only where the file is newer: a source date still to come (a
    # changelog entry dated later today, a time zone ahead) would leave
    # the unpacking time on the folders and control files it made.
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
      execute_process(COMMAND find "${tree}" -exec touch -h -d
        "@$ENV{SOURCE_DATE_EPOCH}" {} +
        COMMAND_ERROR_IS_FATAL ANY)
    endif()
    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build
      "${tree}" "${package}" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
  elseif(package MATCHES "\\.zip$")
    find_program(STRIP_NONDETERMINISM strip-nondeterminism)
    if(STRIP_NONDETERMINISM)
      set(timestamp)
      if(DEFINED ENV{SOURCE_DATE_EPOCH})
        set(timestamp --timestamp "$ENV{SOURCE_DATE_EPOCH}")
      endif()
      execute_process(COMMAND "${STRIP_NONDETERMINISM}" --type zip
        ${timestamp} "${package}" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    else()
      message(WARNING "strip-nondeterminism not found: the entries of "
        "${package} keep the order the folder listed them in")
    endif()
  endif()
endforeach()
