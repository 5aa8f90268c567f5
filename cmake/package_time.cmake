# Sets SOURCE_DATE_EPOCH, unless the packer set one, for every time stamp in
# a package: the time of the commit when the source is a git checkout, else
# noon UTC of the day of NEWS.md's newest entry (as Debian takes the date of
# a package from its changelog), never the time of packing. CPack reads this
# when it packs, with SOURCE_DIR and GIT set by the build.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
if(GIT AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT}" log -1 --format=%ct WORKING_DIRECTORY "${SOURCE_DIR}"
                  OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(commit_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
    return()
  endif()
endif()
file(STRINGS "${SOURCE_DIR}/NEWS.md" newest REGEX "^## [0-9.]+ \\([0-9]+-[0-9]+-[0-9]+\\)$" LIMIT_COUNT 1)
if(NOT newest MATCHES "\\(([0-9]+)-([0-9]+)-([0-9]+)\\)$")
  message(FATAL_ERROR "No commit time, and no dated entry in NEWS.md to take the packages' time from")
endif()
# Days since 1970-01-01 of a civil date (the proleptic Gregorian calendar).
math(EXPR year "${CMAKE_MATCH_1}")
math(EXPR month "${CMAKE_MATCH_2}")
math(EXPR day "${CMAKE_MATCH_3}")
if(month LESS_EQUAL 2)
  math(EXPR year "${year} - 1")
  math(EXPR month "${month} + 9")
else()
  math(EXPR month "${month} - 3")
endif()
math(EXPR era "${year} / 400")
math(EXPR year_of_era "${year} - ${era} * 400")
math(EXPR day_of_year "(153 * ${month} + 2) / 5 + ${day} - 1")
math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
math(EXPR noon "${days} * 86400 + 43200")
set(ENV{SOURCE_DATE_EPOCH} ${noon})
