# Resources carried inside an executable, as the framework's resource look-up
# (System/ModuleResources.h) finds them.
#
# kv_embed_resources(TARGET <target> FOLDER <folder> [NAMES <NAME>=<file> ...])
#
# Every file directly in the folder becomes one resource of the target: its bytes,
# a type taken from its extension (.xml KVXML, .png GDIPLUS, .ico ICON, .cur CURSOR,
# anything else RCDATA) and a name: the one given under NAMES, else the file name in
# upper case with each "." and " " turned into "_" (the name by which the framework
# looks up a file of the resources). The table is generated at build time, so a
# changed file is embedded again by the next build; a file added to the folder needs
# a new configure, like any new source.

set(KV_EMBED_RESOURCES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)

function(kv_embed_resources)
  cmake_parse_arguments(R "" "TARGET;FOLDER" "NAMES" ${ARGN})
  if(NOT R_TARGET OR NOT R_FOLDER)
    message(FATAL_ERROR "kv_embed_resources needs TARGET and FOLDER")
  endif()
  get_filename_component(folder ${R_FOLDER} ABSOLUTE)
  file(GLOB files LIST_DIRECTORIES false CONFIGURE_DEPENDS ${folder}/*)
  list(SORT files)

  set(entries "")
  set(seen_names "")
  foreach(path IN LISTS files)
    get_filename_component(file_name ${path} NAME)
    set(name "")
    foreach(mapping IN LISTS R_NAMES)
      if(mapping MATCHES "^([^=]+)=(.+)$" AND CMAKE_MATCH_2 STREQUAL file_name)
        set(name ${CMAKE_MATCH_1})
      endif()
    endforeach()
    if(name STREQUAL "")
      string(TOUPPER "${file_name}" name)
      string(REGEX REPLACE "[. ]" "_" name "${name}")
    endif()
    get_filename_component(extension ${path} LAST_EXT)
    string(TOLOWER "${extension}" extension)
    if(extension STREQUAL ".xml")
      set(type KVXML)
    elseif(extension STREQUAL ".png")
      set(type GDIPLUS)
    elseif(extension STREQUAL ".ico")
      set(type ICON)
    elseif(extension STREQUAL ".cur")
      set(type CURSOR)
    else()
      set(type RCDATA)
    endif()
    if(name MATCHES "[\"\\\\]")
      message(FATAL_ERROR "kv_embed_resources: ${file_name}: a resource name holds no quote or backslash")
    endif()
    if("${type}/${name}" IN_LIST seen_names)
      message(FATAL_ERROR "kv_embed_resources: two files of ${folder} make the ${type} resource ${name}")
    endif()
    list(APPEND seen_names "${type}/${name}")
    # One entry per resource: type|name|path (file names hold no "|").
    list(APPEND entries "${type}|${name}|${path}")
  endforeach()

  set(output ${CMAKE_CURRENT_BINARY_DIR}/${R_TARGET}_Resources.cpp)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${R_TARGET}_Resources.list)
  string(REPLACE ";" "\n" list_text "${entries}")
  file(CONFIGURE OUTPUT ${list_file} CONTENT "${list_text}\n")
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DLIST=${list_file} -DOUTPUT=${output} -P ${KV_EMBED_RESOURCES_SCRIPT}
    DEPENDS ${files} ${list_file} ${KV_EMBED_RESOURCES_SCRIPT}
    COMMENT "Embedding the resources of ${R_TARGET}"
    VERBATIM)
  target_sources(${R_TARGET} PRIVATE ${output})
endfunction()
