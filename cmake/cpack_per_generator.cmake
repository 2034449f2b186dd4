# Read by CPack for each package it makes: only the Debian package carries the files that
# Debian's policy asks for (its copyright file, changelog and lintian overrides).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL Unspecified debian)
else()
  set(CPACK_COMPONENTS_ALL Unspecified)
endif()
