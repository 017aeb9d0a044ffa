# Packages of the tool set, made by CPack from the install rules, as Debian packages (DEB)
# and RPM packages (RPM) of the same content, one package per install component:
#
#   quorelle-tools   component "tools":  rulesmith, rosterdump, crewdump, zonetally, rootgate
#                                          (set-user-id root), the LDAP schema, the example
#                                          msg.conf (a configuration file), their manual pages
#   quorelle-vantor  component "vantor": vantor, its translations and examples, its pages
#   quorelle-tabrix  component "tabrix": the Outlook add-in's DLL (architecture-independent)
#
# In any configured build:  cpack --config CPackConfig.cmake -G RPM   (or -G DEB)
# scripts/package.sh makes a release build of its own and runs both generators.
#
# The version is the project's (project(... VERSION ...) in the top CMakeLists.txt).
# Shared-library dependencies are computed by dpkg-shlibdeps and rpmbuild.

set(QUORELLE_PACKAGE_VERSION ${PROJECT_VERSION})
set(QUORELLE_PACKAGE_RELEASE 1)
set(QUORELLE_PACKAGE_MAINTAINER "Corvane Quorelle team <quorelle@corvane.example>")
set(QUORELLE_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(QUORELLE_PACKAGING_BUILD_DIR ${PROJECT_BINARY_DIR}/packaging)

# Directories made by the install step get the usual mode whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(QUORELLE_PACKAGE_COMPONENTS)
if(QUORELLE_BUILD_TOOLS)
  list(APPEND QUORELLE_PACKAGE_COMPONENTS tools)
endif()
if(QUORELLE_BUILD_ENGINE)
  list(APPEND QUORELLE_PACKAGE_COMPONENTS vantor)
endif()
if(QUORELLE_BUILD_ADDIN)
  list(APPEND QUORELLE_PACKAGE_COMPONENTS tabrix)
endif()

# --- files every package carries ---------------------------------------------------------------
# /usr/share/doc/<package>/copyright in each package; the Debian change log (gzip -9n, no time
# stamp) goes into the Debian packages only, the RPM packages carry it as %changelog.
configure_file(${QUORELLE_PACKAGING_DIR}/changelog.in ${QUORELLE_PACKAGING_BUILD_DIR}/changelog.Debian @ONLY)
configure_file(${QUORELLE_PACKAGING_DIR}/rpm/changelog.in ${QUORELLE_PACKAGING_BUILD_DIR}/rpm-changelog @ONLY)
foreach(component IN LISTS QUORELLE_PACKAGE_COMPONENTS)
  install(FILES ${QUORELLE_PACKAGING_DIR}/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorelle-${component} COMPONENT ${component})
endforeach()

# --- quorelle-tools: maintainer scripts ---------------------------------------------------------
# The Sieve tree's letter directories are made after installing (only where the user cyrus
# exists) and taken away after removal; one shell body serves both package formats.
file(READ ${QUORELLE_PACKAGING_DIR}/tools/sieve-tree.sh QUORELLE_SIEVE_TREE_FUNCTIONS)
set(QUORELLE_TOOLS_DEB_CONTROL ${QUORELLE_PACKAGING_BUILD_DIR}/tools-deb)
foreach(script postinst postrm)
  configure_file(${QUORELLE_PACKAGING_DIR}/tools/${script}.in ${QUORELLE_TOOLS_DEB_CONTROL}/${script}
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                 GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
foreach(script rpm-post rpm-postun)
  configure_file(${QUORELLE_PACKAGING_DIR}/tools/${script}.in ${QUORELLE_PACKAGING_BUILD_DIR}/tools-${script} @ONLY)
endforeach()
file(WRITE ${QUORELLE_TOOLS_DEB_CONTROL}/conffiles "/etc/opt/quorelle/msg/msg.conf\n")

if(QUORELLE_BUILD_TOOLS)
  # The example configuration: a configuration file of the package, never replaced once there.
  install(FILES ${QUORELLE_PACKAGING_DIR}/msg.conf DESTINATION /etc/opt/quorelle/msg COMPONENT tools)
endif()

# --- CPack --------------------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME quorelle)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "${QUORELLE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${QUORELLE_PACKAGE_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_COMPONENTS_ALL ${QUORELLE_PACKAGE_COMPONENTS})
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_RPM_COMPONENT_INSTALL ON)
set(CPACK_GENERATOR DEB RPM)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
# Steps between the staging install and the archive: rootgate's set-user-id bit (a build
# without root cannot give it in the install step), the Debian-only files.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/QuorellePackageStage.cmake)
set(CPACK_QUORELLE_PACKAGING_DIR ${QUORELLE_PACKAGING_DIR})
set(CPACK_QUORELLE_DEBIAN_CHANGELOG ${QUORELLE_PACKAGING_BUILD_DIR}/changelog.Debian)

set(quorelle_summary_tools "Quorelle directory administration tools")
set(quorelle_description_tools
"Command-line programs of the Quorelle mail server's web administration:
rulesmith writes every user's Sieve script from the LDAP directory, rosterdump
lists a mail domain's users, crewdump its groups, zonetally counts users and
groups per domain, and rootgate (set-user-id root) performs the privileged file
and service operations. Also the directory schema and an example msg.conf.")
set(quorelle_section_tools admin)
set(quorelle_summary_vantor "Quorelle installation wizard engine")
set(quorelle_description_vantor
"vantor runs an installation described by an XML install file: it declares
variables, profiles, actions (RPM packages, template files, file edits,
commands, checks) and a tree of wizard stages, shown in a Qt window or in the
terminal (also unattended, from an answer file). Translations and an example
install file are included.")
set(quorelle_section_vantor admin)
set(quorelle_summary_tabrix "Quorelle add-in for Microsoft Outlook (Windows DLL)")
set(quorelle_description_tabrix
"Tabrix.dll, a COM add-in for Microsoft Outlook 2000/XP that adds a Quorelle
menu whose Messaging Preferences entry opens the user's preferences web page.
The package holds the 32-bit Windows DLL for distribution to Windows clients;
it runs on no Linux system.")
set(quorelle_section_tabrix misc)

# Debian
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUORELLE_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORELLE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# RPM
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_RELEASE ${QUORELLE_PACKAGE_RELEASE})
set(CPACK_RPM_PACKAGE_LICENSE "LicenseRef-Proprietary")
set(CPACK_RPM_PACKAGE_URL "")
set(CPACK_PACKAGE_RELOCATABLE OFF)
# No /usr/lib/.build-id links: the RPM packages hold the same files as the Debian ones.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none")
set(CPACK_RPM_CHANGELOG_FILE ${QUORELLE_PACKAGING_BUILD_DIR}/rpm-changelog)
# Directories that belong to the system, not to these packages.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /etc/opt /usr/share/man /usr/share/man/man1 /usr/share/man/man5 /usr/share/man/man8
    /usr/share/doc)

foreach(component tools vantor tabrix)
  string(TOUPPER ${component} C)
  set(CPACK_DEBIAN_${C}_PACKAGE_NAME quorelle-${component})
  set(CPACK_RPM_${C}_PACKAGE_NAME quorelle-${component})
  set(CPACK_COMPONENT_${C}_DISPLAY_NAME "${quorelle_summary_${component}}")
  set(CPACK_COMPONENT_${C}_DESCRIPTION "${quorelle_description_${component}}")
  set(CPACK_DEBIAN_${C}_DESCRIPTION "${quorelle_summary_${component}}\n${quorelle_description_${component}}")
  set(CPACK_RPM_${C}_PACKAGE_SUMMARY "${quorelle_summary_${component}}")
  set(CPACK_RPM_${C}_PACKAGE_DESCRIPTION "${quorelle_description_${component}}")
  set(CPACK_DEBIAN_${C}_PACKAGE_SECTION ${quorelle_section_${component}})
endforeach()
set(CPACK_RPM_PACKAGE_GROUP "Applications/System")

# quorelle-tools: the configuration file, the maintainer scripts; rootgate queues service jobs
# with at.
set(CPACK_DEBIAN_TOOLS_PACKAGE_CONTROL_EXTRA
    ${QUORELLE_TOOLS_DEB_CONTROL}/conffiles ${QUORELLE_TOOLS_DEB_CONTROL}/postinst
    ${QUORELLE_TOOLS_DEB_CONTROL}/postrm)
set(CPACK_DEBIAN_TOOLS_PACKAGE_RECOMMENDS at)
set(CPACK_RPM_TOOLS_PACKAGE_REQUIRES_POST "/bin/sh, coreutils")
set(CPACK_RPM_TOOLS_POST_INSTALL_SCRIPT_FILE ${QUORELLE_PACKAGING_BUILD_DIR}/tools-rpm-post)
set(CPACK_RPM_TOOLS_POST_UNINSTALL_SCRIPT_FILE ${QUORELLE_PACKAGING_BUILD_DIR}/tools-rpm-postun)
set(CPACK_RPM_TOOLS_USER_FILELIST "%config(noreplace) /etc/opt/quorelle/msg/msg.conf")

# quorelle-tabrix: a Windows DLL, the same on every architecture.
set(CPACK_DEBIAN_TABRIX_PACKAGE_ARCHITECTURE all)
set(CPACK_RPM_TABRIX_PACKAGE_ARCHITECTURE noarch)

include(CPack)
