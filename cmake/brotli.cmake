# Brotli for WOFF2: the system's static libraries where the toolchain has them; else its sources
# from Debian's source package (cmake/fetch_brotli_source.sh), compiled here as C.
find_path(QUENLO_BROTLI_INCLUDE brotli/decode.h)
find_library(QUENLO_BROTLI_DEC NAMES libbrotlidec.a brotlidec)
find_library(QUENLO_BROTLI_ENC NAMES libbrotlienc.a brotlienc)
find_library(QUENLO_BROTLI_COMMON NAMES libbrotlicommon.a brotlicommon)
if(QUENLO_BROTLI_INCLUDE AND QUENLO_BROTLI_DEC AND QUENLO_BROTLI_ENC AND QUENLO_BROTLI_COMMON)
  add_library(quenlo_brotli INTERFACE)
  target_include_directories(quenlo_brotli INTERFACE ${QUENLO_BROTLI_INCLUDE})
  target_link_libraries(quenlo_brotli INTERFACE ${QUENLO_BROTLI_ENC} ${QUENLO_BROTLI_DEC}
                                                ${QUENLO_BROTLI_COMMON})
  return()
endif()
set(brotli_source ${CMAKE_BINARY_DIR}/brotli-source)
if(NOT EXISTS ${brotli_source}/c/include/brotli/decode.h)
  message(STATUS "No Brotli library for this toolchain: fetching Debian's source package")
  execute_process(COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/fetch_brotli_source.sh ${brotli_source}
                  RESULT_VARIABLE fetched)
  if(NOT fetched EQUAL 0)
    message(FATAL_ERROR "Brotli's sources could not be fetched from Debian")
  endif()
endif()
enable_language(C)
file(GLOB brotli_files ${brotli_source}/c/common/*.c ${brotli_source}/c/dec/*.c
     ${brotli_source}/c/enc/*.c)
add_library(quenlo_brotli STATIC ${brotli_files})
target_include_directories(quenlo_brotli SYSTEM PUBLIC ${brotli_source}/c/include)
# The library's own code is built as its makers build it, without this project's warnings.
set_target_properties(quenlo_brotli PROPERTIES COMPILE_OPTIONS "-O2")
