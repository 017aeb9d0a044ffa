# Run by CPack after the staging install, before each generator builds its archives
# (CPACK_PRE_BUILD_SCRIPTS in cmake/QuorellePackaging.cmake).
#
# - rootgate is set-user-id root inside the package itself: the archive records root as owner,
#   and the mode is set here, since a staging install without root leaves it at 0755.
# - Debian packages get their change log (/usr/share/doc/<package>/changelog.Debian.gz) and
#   lintian overrides (/usr/share/lintian/overrides/<package>, packaging/lintian/<package>).

set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
if(NOT IS_DIRECTORY "${stage}")
  message(FATAL_ERROR "quorelle packaging: no staging directory (${stage})")
endif()

file(GLOB_RECURSE rootgate LIST_DIRECTORIES false "${stage}/*/sbin/rootgate")
foreach(f IN LISTS rootgate)
  file(CHMOD "${f}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
       WORLD_READ WORLD_EXECUTE SETUID)
endforeach()

if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(component IN LISTS CPACK_COMPONENTS_ALL)
    set(root "${stage}/${component}${CPACK_PACKAGING_INSTALL_PREFIX}")
    if(NOT IS_DIRECTORY "${root}")
      continue()
    endif()
    set(package quorelle-${component})
    set(doc "${root}/share/doc/${package}")
    file(MAKE_DIRECTORY "${doc}")
    # gzip -9n: no name and no time stamp, the same bytes on every build.
    execute_process(COMMAND gzip -9nc "${CPACK_QUORELLE_DEBIAN_CHANGELOG}"
                    OUTPUT_FILE "${doc}/changelog.Debian.gz" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "quorelle packaging: gzip of the change log failed")
    endif()
    file(CHMOD "${doc}/changelog.Debian.gz" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    set(overrides "${CPACK_QUORELLE_PACKAGING_DIR}/lintian/${package}")
    if(EXISTS "${overrides}")
      file(MAKE_DIRECTORY "${root}/share/lintian/overrides")
      file(COPY_FILE "${overrides}" "${root}/share/lintian/overrides/${package}")
      file(CHMOD "${root}/share/lintian/overrides/${package}"
           FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
  endforeach()
endif()
