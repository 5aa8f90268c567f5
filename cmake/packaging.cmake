# What `cmake --install` puts in place, and the packages CPack makes of it:
# a Debian package (`cpack -G DEB`) from a native build, and a zip archive
# (`cpack -G ZIP`) from a Windows build.

set(package_name varnel-pindle)
set(package_contact "varnel and pindle developers <developers@varnel-pindle.org>")

# Files get their modes from install() itself, but folders the umask of
# whoever installs; a package's staging folders are set to 0755 just before
# packing.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/package_modes.cmake)

# NEWS.md says what each release holds; its newest entry is this version.
file(STRINGS ${CMAKE_SOURCE_DIR}/NEWS.md newest_release REGEX "^## [0-9.]+ " LIMIT_COUNT 1)
if(NOT newest_release MATCHES "^## ${PROJECT_VERSION} ")
  message(FATAL_ERROR "NEWS.md begins with '${newest_release}', not version ${PROJECT_VERSION}: add its entry")
endif()

if(WIN32)
  # Each encoding's programs in a folder of their own, and a text telling
  # which to run on which console. The archive can take the programs of a
  # second Windows build (the other encoding) as well.
  string(TOLOWER "${CONSOLE_ENCODING}" encoding_folder)
  install(TARGETS varnel pindle RUNTIME DESTINATION ${encoding_folder})
  configure_file(packaging/windows-readme.txt ${CMAKE_BINARY_DIR}/README-windows.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README-windows.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
  # The programs carry the C and C++ runtimes linked in: a release packs
  # their notices and licences too (packaging/notices.sh writes them).
  set(THIRD_PARTY_NOTICES "" CACHE PATH "Folder of the notices of the libraries linked in, to pack beside the programs")
  if(THIRD_PARTY_NOTICES)
    install(DIRECTORY ${THIRD_PARTY_NOTICES}/ DESTINATION .)
  endif()
  set(WINDOWS_ARCHIVE_ALSO "" CACHE PATH "Build folder of a Windows build in the other encoding, whose programs the archive takes too")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/")
  if(WINDOWS_ARCHIVE_ALSO)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${WINDOWS_ARCHIVE_ALSO};${PROJECT_NAME};ALL;/")
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "${package_name}-${PROJECT_VERSION}-win64")
else()
  # The folders the install makes are set to 0755 at its end, whatever the
  # umask; those that were there before are left as they are.
  set(doc_folder ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package_name})
  set(installed_folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_DATAROOTDIR} ${CMAKE_INSTALL_MANDIR}
                        ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_MANDIR}/ko ${CMAKE_INSTALL_MANDIR}/ko/man1)
  # The source package's own tools install the same two files from debian/.
  option(INSTALL_COPYRIGHT_AND_CHANGELOG "Install the copyright and the changelog into the documentation folder" ON)
  if(INSTALL_COPYRIGHT_AND_CHANGELOG)
    list(APPEND installed_folders ${CMAKE_INSTALL_DATAROOTDIR}/doc ${doc_folder})
  endif()
  install(CODE "
    set(new_folders \"\")
    foreach(folder ${installed_folders})
      if(NOT IS_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${folder}\")
        list(APPEND new_folders \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${folder}\")
      endif()
    endforeach()")
  install(TARGETS varnel pindle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Manual pages carry the version and are installed gzipped, as Debian does.
  find_program(GZIP_PROGRAM gzip REQUIRED)
  set(compressed_pages "")
  foreach(page man/varnel.1 man/pindle.1 man/ko/varnel.1 man/ko/pindle.1)
    configure_file(${page} ${CMAKE_BINARY_DIR}/${page} @ONLY)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${page}.gz
                       COMMAND ${GZIP_PROGRAM} -9nkf ${CMAKE_BINARY_DIR}/${page}
                       DEPENDS ${CMAKE_BINARY_DIR}/${page}
                       COMMENT "Compressing ${page}")
    list(APPEND compressed_pages ${CMAKE_BINARY_DIR}/${page}.gz)
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${compressed_pages})
  install(FILES ${CMAKE_BINARY_DIR}/man/varnel.1.gz ${CMAKE_BINARY_DIR}/man/pindle.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_BINARY_DIR}/man/ko/varnel.1.gz ${CMAKE_BINARY_DIR}/man/ko/pindle.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/ko/man1)

  # The copyright and the changelog, made from NEWS.md, go where Debian keeps
  # them.
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
                     COMMAND ${CMAKE_COMMAND} -DNEWS=${CMAKE_SOURCE_DIR}/NEWS.md -DOUTPUT=changelog
                             -DPACKAGE=${package_name} "-DMAINTAINER=${package_contact}"
                             -P ${CMAKE_SOURCE_DIR}/cmake/debian_changelog.cmake
                     COMMAND ${GZIP_PROGRAM} -9nf changelog
                     DEPENDS ${CMAKE_SOURCE_DIR}/NEWS.md ${CMAKE_SOURCE_DIR}/cmake/debian_changelog.cmake
                     WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
  if(INSTALL_COPYRIGHT_AND_CHANGELOG)
    install(FILES debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${doc_folder})
  endif()
  install(CODE [[
    foreach(folder IN LISTS new_folders)
      file(CHMOD "${folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                  WORLD_READ WORLD_EXECUTE)
    endforeach()
  ]])

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  if(CMAKE_CROSSCOMPILING)
    # 64-bit MIPS keeps its loader in lib64.
    set(CPACK_CROSS_LIBRARY_FOLDERS "")
    foreach(folder lib lib64)
      if(IS_DIRECTORY ${CMAKE_FIND_ROOT_PATH}/${folder})
        list(APPEND CPACK_CROSS_LIBRARY_FOLDERS -l${CMAKE_FIND_ROOT_PATH}/${folder})
      endif()
    endforeach()
    list(APPEND CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/cross_dependencies.cmake)
  else()
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
  # The package is for the machine its programs are built for, not this
  # one: Debian's name for the compiler's own target.
  find_program(DPKG_ARCHITECTURE_PROGRAM dpkg-architecture)
  if(DPKG_ARCHITECTURE_PROGRAM)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine OUTPUT_VARIABLE compiler_target
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${DPKG_ARCHITECTURE_PROGRAM} -t ${compiler_target} -qDEB_HOST_ARCH
                    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

  # An RPM (`cpack -G RPM`) of the same files, for Fedora and openSUSE. It
  # owns only its own files and folders, not those of the system's layout.
  set(CPACK_RPM_PACKAGE_LICENSE MIT)
  set(CPACK_RPM_PACKAGE_GROUP "Amusements/Games")
  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  set(CPACK_RPM_PACKAGE_RELEASE 1)
  set(CPACK_RPM_PACKAGE_AUTOREQPROV ON)
  set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
      /usr/share/man /usr/share/man/man1 /usr/share/man/ko /usr/share/man/ko/man1 /usr/share/doc)
  # The build's time and host are the commit's time and no host's name, so
  # that two builds of one commit give the same bytes.
  set(CPACK_RPM_SPEC_MORE_DEFINE "%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _buildhost reproducible
%define packager ${package_contact}")
endif()
set(CPACK_STRIP_FILES ON)

# Every time stamp in a package is the time of the commit it is made from,
# read when packing, or SOURCE_DATE_EPOCH where the packer sets one: two
# builds of one commit give the same bytes. A source tree without git takes
# the date of NEWS.md's newest entry.
find_package(Git QUIET)
file(WRITE ${CMAKE_BINARY_DIR}/package-time.cmake
     "set(SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")\nset(GIT \"${GIT_EXECUTABLE}\")\n"
     "include(\"${CMAKE_SOURCE_DIR}/cmake/package_time.cmake\")\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/package-time.cmake)

set(CPACK_PACKAGE_NAME ${package_name})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "varnel and pindle developers")
set(CPACK_PACKAGE_CONTACT "${package_contact}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Korean console exercises: rotating triangle, comparison, calculator")
set(CPACK_PACKAGE_DESCRIPTION
    "Two small interactive console programs that talk Korean.
varnel is a main menu with three tools: a hollow right triangle drawn from
full-width cells and turned a quarter turn left or right on command, a
comparison that orders three real numbers, and a calculator for addition,
subtraction, multiplication, division and remainder.
pindle reads numbers, answers 1 and 2, complains about anything else and
ends on 0.")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
include(CPack)
