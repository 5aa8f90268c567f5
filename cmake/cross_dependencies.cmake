# Run by CPack before it packs a cross build: the package's dependencies, as
# dpkg-shlibdeps computes them from the libraries the programs were linked
# against, those of the cross compiler's root (the ones the tests load).
# Their records name the target's packages with its architecture
# ("libc6:armhf") or as the cross packages ("libgcc-s1-armhf-cross"); a
# package of that architecture names them plainly.
set(work "${CPACK_TEMPORARY_DIRECTORY}-dependencies")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/debian")
file(WRITE "${work}/debian/control"
     "Source: ${CPACK_PACKAGE_NAME}\n\nPackage: ${CPACK_PACKAGE_NAME}\nArchitecture: any\n")
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_HOST_ARCH=${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}
                        dpkg-shlibdeps -O ${CPACK_CROSS_LIBRARY_FOLDERS} ${programs}
                WORKING_DIRECTORY "${work}" OUTPUT_VARIABLE substitution OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_VARIABLE complaints RESULT_VARIABLE status)
file(REMOVE_RECURSE "${work}")
# Its warnings that the programs lie outside a package folder of debhelper's
# say nothing here.
if(NOT status EQUAL 0 OR NOT substitution MATCHES "^shlibs:Depends=(.+)$")
  message(FATAL_ERROR "dpkg-shlibdeps found no dependencies: ${substitution}${complaints}")
endif()
string(REPLACE ":${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}" "" dependencies "${CMAKE_MATCH_1}")
string(REPLACE "-${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}-cross" "" CPACK_DEBIAN_PACKAGE_DEPENDS "${dependencies}")
