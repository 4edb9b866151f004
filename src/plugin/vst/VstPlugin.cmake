# Building VST 2.4 plug-in modules.
#
# kk_vst_plugin(<target> OUTPUT_NAME <file name without .so>
#               SOURCES <files...> [LIBS <libraries...>] [OUTPUT_DIRECTORY <dir>])
# Builds the module <name>.so from the sources, the entry points
# (entry/VstPluginMain.cpp) and kk_vst. Everything is hidden except
# VSTPluginMain and main, which a version script exports at one address;
# undefined symbols fail the link. A test "<target>.exports" checks the
# module's dynamic symbol table.

set(KK_VST_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "Folder of the VST adapter sources")

function(kk_vst_plugin target)
  cmake_parse_arguments(A "" "OUTPUT_NAME;OUTPUT_DIRECTORY" "SOURCES;LIBS" ${ARGN})
  if(NOT A_OUTPUT_NAME)
    set(A_OUTPUT_NAME ${target})
  endif()
  add_library(${target} MODULE ${A_SOURCES} ${KK_VST_DIR}/entry/VstPluginMain.cpp)
  target_link_libraries(${target} PRIVATE kk_vst ${A_LIBS} kk_warnings)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${A_OUTPUT_NAME}
    LINK_DEPENDS ${KK_VST_DIR}/exports.map)
  if(A_OUTPUT_DIRECTORY)
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${A_OUTPUT_DIRECTORY})
  endif()
  if(WIN32)
    # A DLL exports what its definition file lists; the test checks the
    # export table and that only Windows' own DLLs are imported.
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${KK_VST_DIR}/exports.def)
    target_sources(${target} PRIVATE ${KK_VST_DIR}/exports.def)
    # The entry's visibility attributes are ELF's; the definition file does
    # their work on Windows.
    set_source_files_properties(${KK_VST_DIR}/entry/VstPluginMain.cpp TARGET_DIRECTORY ${target}
                                PROPERTIES COMPILE_OPTIONS -Wno-attributes)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
    add_test(NAME ${target}.exports
             COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DMODULE=$<TARGET_FILE:${target}>
                     -P ${PROJECT_SOURCE_DIR}/cmake/CheckWindowsModule.cmake)
    return()
  endif()
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${KK_VST_DIR}/exports.map
    -Wl,--no-undefined)
  if(NOT KK_FUZZ AND NOT KK_TSAN)
    add_test(NAME ${target}.exports
             COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DMODULE=$<TARGET_FILE:${target}>
                     -P ${KK_VST_DIR}/CheckExports.cmake)
  endif()
endfunction()
