# The documents installed beside the program, and the packages made of them
# with CPack, from a build tree:
#   cpack -G DEB                               knjiga_<version>_<arch>.deb
#   cpack -G TGZ                               knjiga-<version>-linux-<cpu>.tar.gz
#   cpack -G ZIP                               knjiga-<version>-windows-x86_64.zip
#   cpack --config CPackSourceConfig.cmake     knjiga-<version>.tar.gz, the source
# scripts/release.sh makes them all, and makes them repeat byte for byte.

set(CPACK_PACKAGE_VENDOR "The knjiga authors")
set(CPACK_PACKAGE_CONTACT "The knjiga authors <knjiga@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# The long description as Debian shows it: lines shorter than 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "knjiga asks for a number and the title of a book, and answers with one"
  "line: the title itself when the number is at most 5.5, Prevelik broj (too"
  "large a number) up to 9.9, and Puno prevelik broj (far too large a number)"
  "above that. Its texts are Croatian.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# This version's entry in NEWS.md, "## VERSION — YYYY-MM-DD" and its items,
# gives the release's date and the changelog; LICENSE gives the copyright.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS NEWS.md LICENSE)
file(READ NEWS.md news)
string(FIND "${news}" "\n## ${PROJECT_VERSION} " at)
if(at EQUAL -1)
  message(FATAL_ERROR "NEWS.md has no entry for version ${PROJECT_VERSION}")
endif()
math(EXPR at "${at} + 1")
string(SUBSTRING "${news}" ${at} -1 news)
string(FIND "${news}" "\n" at)
string(SUBSTRING "${news}" 0 ${at} heading)
string(SUBSTRING "${news}" ${at} -1 news)
if(NOT heading MATCHES " ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
  message(FATAL_ERROR "NEWS.md: the heading of ${PROJECT_VERSION} ends in no date: ${heading}")
endif()
set(KNJIGA_RELEASE_DATE ${CMAKE_MATCH_1})
file(STRINGS LICENSE copyright REGEX "^Copyright \\(c\\) " LIMIT_COUNT 1)
string(REGEX REPLACE "^Copyright \\(c\\) " "" copyright "${copyright}")

# The manual page carries the version and the date of the release.
configure_file(man/knjiga.1.in knjiga.1 @ONLY)

if(WIN32)
  install(FILES README.md LICENSE DESTINATION .)
else()
  # Debian's layout, which suits any Unix: the manual page and the changelog
  # compressed (without a time stamp, so that builds repeat), the license in
  # the machine-readable copyright format, and the README.
  find_program(GZIP gzip REQUIRED)
  string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC) # SOURCE_DATE_EPOCH if set
  # The changelog's entry is this version's in NEWS.md, made Debian's: its
  # items start with "  * " and go on indented.
  string(FIND "${news}" "\n## " end)
  string(SUBSTRING "${news}" 0 ${end} news)
  string(STRIP "${news}" news)
  string(REPLACE "`" "" news "${news}")
  string(REPLACE "\n" "\n  " news "${news}")
  string(REGEX REPLACE "(^|\n  )- " "\\1* " news "${news}")
  file(CONFIGURE OUTPUT changelog @ONLY CONTENT "\
knjiga (@PROJECT_VERSION@) stable; urgency=medium

  @news@

 -- @CPACK_PACKAGE_CONTACT@  @date@
")
  file(READ LICENSE license)
  string(REGEX REPLACE "^.*(Permission is hereby)" "\\1" license "${license}")
  string(STRIP "${license}" license)
  string(REPLACE "\n\n" "\n.\n" license "${license}")
  string(REPLACE "\n" "\n " license "${license}")
  file(CONFIGURE OUTPUT copyright @ONLY CONTENT "\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: knjiga

Files: *
Copyright: @copyright@
License: MIT
 @license@
")
  add_custom_command(OUTPUT knjiga.1.gz changelog.gz
                     COMMAND ${GZIP} -9nkf knjiga.1 changelog
                     DEPENDS ${PROJECT_BINARY_DIR}/knjiga.1 ${PROJECT_BINARY_DIR}/changelog)
  add_custom_target(documents ALL DEPENDS knjiga.1.gz changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/knjiga.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz README.md
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# Archives are named for the system and processor they run on, as
# knjiga-1.1.0-linux-aarch64.tar.gz, which a user can tell at a glance.
string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" CPACK_SYSTEM_NAME)
string(REGEX REPLACE "-amd64$" "-x86_64" CPACK_SYSTEM_NAME "${CPACK_SYSTEM_NAME}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian's name for the processor of a cross build; dpkg tells a native one.
set(debian_arch aarch64 arm64 armv7 armhf i686 i386 ppc64le ppc64el riscv64 riscv64
    s390x s390x x86_64 amd64)
list(FIND debian_arch ${CMAKE_SYSTEM_PROCESSOR} at)
if(CMAKE_CROSSCOMPILING AND NOT at EQUAL -1)
  math(EXPR at "${at} + 1")
  list(GET debian_arch ${at} CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# What the program needs of the system, from dpkg-shlibdeps; a release
# computes it itself, from the C library of the package's own Debian release.
if(NOT DEFINED CPACK_DEBIAN_PACKAGE_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

# The source release is what git tracks: build trees and packages stay out.
string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" source "${PROJECT_SOURCE_DIR}")
set(CPACK_SOURCE_IGNORE_FILES "^${source}/\\.git/" "^${source}/build[^/]*/" "^${source}/dist/"
    "^${source}/_CPack_Packages/")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION})

include(CPack)
