# Run by CPack on its staging folder just before it packs: every folder is
# 0755, whatever the umask of whoever builds, so that packages do not depend
# on it. (The install makes the folders it needs under the umask.)
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
list(APPEND folders "${CPACK_TEMPORARY_DIRECTORY}")
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${folder}")
    file(CHMOD "${folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
