# Lays out the installation medium (run by the target `medium`, see CMakeLists.txt).
# Starts from an empty directory every time, so nothing of an earlier layout survives.
foreach(v SOURCE_DIR BUILD_DIR MEDIUM_DIR VANTOR)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "medium.cmake: ${v} is not set")
  endif()
endforeach()
set(src ${SOURCE_DIR}/installer)

file(REMOVE_RECURSE ${MEDIUM_DIR})
file(MAKE_DIRECTORY ${MEDIUM_DIR}/bin ${MEDIUM_DIR}/translations/de ${MEDIUM_DIR}/resources
     ${MEDIUM_DIR}/components)

file(COPY ${src}/install ${src}/install.xml ${src}/answers.txt DESTINATION ${MEDIUM_DIR})
file(COPY ${VANTOR} DESTINATION ${MEDIUM_DIR}/bin)

# Translations: the engine's own and the install file's; the stage description files of the
# source language beside them, those of a locale in its directory.
string(REPLACE "|" ";" qm_files "${QM_DIRS}")
foreach(qm IN LISTS qm_files)
  if(NOT EXISTS ${qm})
    message(FATAL_ERROR "medium.cmake: missing translation ${qm}")
  endif()
  file(COPY ${qm} DESTINATION ${MEDIUM_DIR}/translations/de)
endforeach()
file(GLOB en_pages ${src}/translations/*.html)
file(GLOB de_pages ${src}/translations/de/*.html)
file(COPY ${en_pages} DESTINATION ${MEDIUM_DIR}/translations)
file(COPY ${de_pages} DESTINATION ${MEDIUM_DIR}/translations/de)

file(COPY ${src}/templates ${src}/ldif ${src}/scripts DESTINATION ${MEDIUM_DIR}/resources)
file(COPY ${SOURCE_DIR}/tools/schema/quorelle.ldif DESTINATION ${MEDIUM_DIR}/resources/schema)

# The payload: the RPM package quorelle-tools that cpack makes from this build (vantor is on
# the medium itself; the add-in is no part of a Linux installation).
set(config ${BUILD_DIR}/CPackConfig.cmake)
if(EXISTS ${config} AND CPACK)
  set(out ${BUILD_DIR}/medium-packages)
  file(REMOVE_RECURSE ${out})
  execute_process(COMMAND ${CPACK} -G RPM --config ${config} -B ${out} -D CPACK_COMPONENTS_ALL=tools
                  RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "medium.cmake: cpack failed:\n${log}")
  endif()
  file(GLOB rpms ${out}/*.rpm)
  if(NOT rpms)
    message(FATAL_ERROR "medium.cmake: cpack made no RPM package:\n${log}")
  endif()
  file(COPY ${rpms} DESTINATION ${MEDIUM_DIR}/components)
else()
  message(WARNING "medium.cmake: no CPack configuration in ${BUILD_DIR}: the medium has no payload")
endif()
message(STATUS "Installation medium: ${MEDIUM_DIR}")
