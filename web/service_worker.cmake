# Writes the site's service worker (cmake -P): SITE is the site's folder,
# TEMPLATE web/service_worker.js, VERSION the release's version. The
# release's name is its version and a digest of every file it ships, so
# that any change makes a new worker.
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files service_worker.js)
list(SORT files)
set(digests "")
set(core "")
foreach(file IN LISTS files)
  file(SHA256 ${SITE}/${file} digest)
  string(APPEND digests "${file} ${digest}\n")
  # The font's slices are kept as they are drawn, not all at once.
  if(NOT file MATCHES "^fonts/files/")
    list(APPEND core "'${file}'")
  endif()
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING ${digest} 0 16 digest)
set(SITE_RELEASE "${VERSION}-${digest}")
list(JOIN core ", " SITE_FILES)
configure_file(${TEMPLATE} ${SITE}/service_worker.js @ONLY)
