# cmake -DFILE=... [-DLIMIT=bytes] -P ReportSize.cmake
# Prints the size of a shipped binary; fails when it is above LIMIT.
file(SIZE ${FILE} size)
math(EXPR kb "(${size} + 1023) / 1024")
get_filename_component(name ${FILE} NAME)
if(LIMIT AND size GREATER LIMIT)
  message(FATAL_ERROR "${name}: ${size} bytes (${kb} KB), above the limit of ${LIMIT} bytes")
endif()
message("${name}: ${size} bytes (${kb} KB)")
