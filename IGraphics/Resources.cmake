# Embedded resources: the pictures and fonts a module carries inside itself.
#
# A resource list is a text file with one resource a line, "FILE TYPE", FILE
# relative to the list's folder and TYPE its upper-case extension ("PNG",
# "TTF"); blank lines and lines starting with # are ignored. The resource's
# name is its file name upper-cased in double quotes ("KNOB@2X.PNG" with the
# quotes), the name the loader asks for.
#
# kestrine_embed_resources(TARGET LIST...) builds every listed file into
# TARGET from the same lists on every system:
#   - Windows: a resource script compiled with windres into the binary's
#     resource section, found with the module instance handle;
#   - elsewhere: a C++ table (name, type, bytes) linked into the binary.
# Both are generated at build time, so a changed list or file is picked up.
#
# igraphics_resources is the lookup over either (IGraphicsResources.h).

set(KESTRINE_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/../cmake/KestrineEmbedResources.cmake)

add_library(igraphics_resources STATIC ${CMAKE_CURRENT_LIST_DIR}/IGraphicsResources.cpp)
if(WIN32)
  target_sources(igraphics_resources PRIVATE ${CMAKE_CURRENT_LIST_DIR}/IGraphicsResources_win.cpp)
else()
  target_sources(igraphics_resources PRIVATE ${CMAKE_CURRENT_LIST_DIR}/IGraphicsResources_table.cpp)
endif()
target_include_directories(igraphics_resources PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(igraphics_resources PUBLIC kestrine_options)

function(kestrine_embed_resources target)
  set(lists ${ARGN})
  if(NOT lists)
    message(FATAL_ERROR "kestrine_embed_resources(${target}): no resource list given")
  endif()
  # Read the lists now for the dependencies; the generator reads them again
  # at build time. Editing a list re-runs the configuration.
  set(files)
  foreach(list IN LISTS lists)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
    get_filename_component(dir ${list} DIRECTORY)
    file(STRINGS ${list} lines)
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      if(line STREQUAL "" OR line MATCHES "^#")
        continue()
      endif()
      string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
      list(GET fields 0 file)
      list(APPEND files ${dir}/${file})
    endforeach()
  endforeach()

  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  string(MAKE_C_IDENTIFIER "${target}" symbol)
  if(WIN32)
    set(out ${out_dir}/${target}_resources.rc)
    set(mode rc)
  else()
    set(out ${out_dir}/${target}_resources.cpp)
    set(mode table)
  endif()
  string(REPLACE ";" "|" lists_arg "${lists}")
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DMODE=${mode} "-DLISTS=${lists_arg}" -DOUT=${out} -DSYMBOL=${symbol}
            -P ${KESTRINE_EMBED_SCRIPT}
    DEPENDS ${lists} ${files} ${KESTRINE_EMBED_SCRIPT}
    COMMENT "Embedding the resources of ${target}"
    VERBATIM)
  # The generated source names the files it pulls in; rebuild it when they change.
  set_source_files_properties(${out} PROPERTIES GENERATED TRUE OBJECT_DEPENDS "${files}")
  target_sources(${target} PRIVATE ${out})
  if(NOT WIN32)
    target_link_libraries(${target} PRIVATE igraphics_resources)
  endif()
endfunction()
