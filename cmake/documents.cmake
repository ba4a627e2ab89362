# The documents installed beside the program: the manual page, and on Unix
# the changelog and the license in Debian's layout, and the user's README.
# scripts/release.sh packs what cmake --install puts in place.

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
  set(contact "The knjiga authors <knjiga@example.org>")
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

 -- @contact@  @date@
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
