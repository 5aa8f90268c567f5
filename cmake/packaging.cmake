# What `cmake --install` puts in place, and the packages CPack makes of it:
# a Debian package (`cpack -G DEB`) from a native build, and a zip archive
# (`cpack -G ZIP`) from a Windows build.

set(package_name varnel-pindle)

if(WIN32)
  # Each encoding's programs in a folder of their own, and a text telling
  # which to run on which console. The archive can take the programs of a
  # second Windows build (the other encoding) as well.
  string(TOLOWER "${CONSOLE_ENCODING}" encoding_folder)
  install(TARGETS varnel pindle RUNTIME DESTINATION ${encoding_folder})
  configure_file(packaging/windows-readme.txt ${CMAKE_BINARY_DIR}/README-windows.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README-windows.txt DESTINATION .)
  set(WINDOWS_ARCHIVE_ALSO "" CACHE PATH "Build folder of a Windows build in the other encoding, whose programs the archive takes too")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/")
  if(WINDOWS_ARCHIVE_ALSO)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${WINDOWS_ARCHIVE_ALSO};${PROJECT_NAME};ALL;/")
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "${package_name}-${PROJECT_VERSION}-win64")
else()
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

  # The copyright and changelog go where Debian keeps them.
  set(doc_folder ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package_name})
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
                     COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > changelog.gz
                     DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
                     WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
  install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${doc_folder})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # A cross build packs for the machine it builds for, not this one.
  if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  endif()
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
set(CPACK_STRIP_FILES ON)

# Every time stamp in a package is the time of the commit it is made from
# (or SOURCE_DATE_EPOCH where the builder sets one), so that two builds of
# one commit give the same bytes.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(package_time "$ENV{SOURCE_DATE_EPOCH}")
else()
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE package_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_status ERROR_QUIET)
    if(NOT git_status EQUAL 0)
      set(package_time "")
    endif()
  endif()
endif()
if(package_time MATCHES "^[0-9]+$")
  file(WRITE ${CMAKE_BINARY_DIR}/package-time.cmake "set(ENV{SOURCE_DATE_EPOCH} ${package_time})\n")
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/package-time.cmake)
else()
  message(STATUS "No commit time found: packages carry the time they are made")
endif()

set(CPACK_PACKAGE_NAME ${package_name})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "varnel and pindle developers")
set(CPACK_PACKAGE_CONTACT "varnel and pindle developers <developers@varnel-pindle.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Korean console exercises: rotating triangle, comparison, calculator")
set(CPACK_PACKAGE_DESCRIPTION
    "Two small interactive console programs that talk Korean.
varnel is a main menu with three tools: a hollow right triangle drawn from
full-width cells and turned a quarter turn left or right on command, a
comparison that orders three real numbers, and a calculator for addition,
subtraction, multiplication, division and remainder.
pindle reads numbers, answers 1 and 2, complains about anything else and
ends on 0.")
include(CPack)
