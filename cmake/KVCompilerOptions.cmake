# Compiler settings shared by every target of the project.
#
# kv_warnings is an interface target that our own targets link to; third-party
# code (GoogleTest, Google Benchmark) never sees -Werror.

find_program(KV_CCACHE ccache)
if(KV_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${KV_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${KV_CCACHE})
endif()

add_library(kv_warnings INTERFACE)
target_compile_options(kv_warnings INTERFACE
  -Wall -Wextra $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> -Wnon-virtual-dtor -Woverloaded-virtual
  -Wno-unused-parameter
  $<$<BOOL:${KV_WERROR}>:-Werror>)

if(KV_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(KV_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT KV_SANITIZE STREQUAL "")
  message(FATAL_ERROR "KV_SANITIZE must be empty, 'address' or 'thread', not '${KV_SANITIZE}'")
endif()

# Adds the CMakeLists.txt of each listed folder below the current one that has one,
# so that a subsystem joins the build by adding its own folder, without touching
# the lists above it.
function(kv_add_existing_subdirectories)
  foreach(dir IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

if(KV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KV_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
  endif()
  # Everything is instrumented for coverage; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
