# The Windows plug-in (KestanK4.dll), cross-built with MinGW-w64 (see
# mingw-w64-x86_64.cmake): the engine, the plug-in, the test host and the
# tests of those parts. The editor is not part of this build: its drawing
# library has no Windows build here, so the DLL answers that it has no
# editor.
#
# Libraries come from the cross prefix (zlib from Debian's MinGW package) and
# from KK_WINDOWS_PREFIX, where tools/windows/build-libraries builds FreeType
# and libpng from Debian's source packages.

set(KK_WINDOWS_PREFIX "${CMAKE_BINARY_DIR}/prefix" CACHE PATH
    "Static FreeType and libpng for Windows (tools/windows/build-libraries)")

# libstdc++, libgcc and winpthread inside every program and the DLL: a user
# copies the DLL and its data folder, nothing else.
add_link_options(-static -static-libgcc -static-libstdc++)
# Large enough for the tests' deep recursion checks, as on Linux (8 MiB).
add_link_options(-Wl,--stack,8388608)
# Windows 7 and later: the known-folder and wide-character calls used.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _WIN32_WINNT=0x0601)

# Paths given to programs run under Wine: Wine's drive Z: is the root of
# the build machine.
set(KK_EMULATED_ROOT "Z:")

# What this build holds: the folders of src/ and tests/ that are free of the
# editor.
set(KK_WINDOWS_FOLDERS
  platform foundation script params/object engine/dsp engine/module params
  presets/folders engine engine/voice synth/dsp synth plugin/vst plugin
  presets/library presets)
set(KK_WINDOWS_TEST_FOLDERS platform platform/win32 ${KK_WINDOWS_FOLDERS})
list(REMOVE_DUPLICATES KK_WINDOWS_TEST_FOLDERS)

# Test files about POSIX behaviour (permissions, symbolic links, errno, the
# XDG folders, file size limits, child processes, fontconfig, the URL
# opener, the import of dropped files, which makes links and pipes); the
# Win32 platform's own tests are in tests/platform/win32.
set(KK_PLATFORM_TEST_EXCLUDES
  FileSystem_test.cpp PlatformServices_test.cpp ChildProcess_test.cpp
  SystemFonts_test.cpp UrlOpener_test.cpp Trace_test.cpp
  AM_DataFolder_test.cpp AM_Directory_test.cpp PresetFolderScan_test.cpp
  AM_AudioManStartup_test.cpp PresetSave_test.cpp AM_VST_baseDataFolder_test.cpp
  PresetImport_test.cpp)

# Single tests left out of the Windows run, each for its reason:
# - names of POSIX files: bytes that are no UTF-8 stand for themselves in a
#   Linux name, a Windows name is UTF-16 (and Wine, keeping its names in
#   UTF-8 on the disk, refuses the lone surrogates such bytes become); a
#   backslash is part of a Linux name and a separator on Windows;
# - test helpers that write non-ASCII names through narrow C++ streams (the
#   system code page on Windows) or count descriptors in /proc;
# - the plug-in's editor flag (the Windows DLL has no editor yet);
# - the step table's recomputation, which holds the C library's sin and exp
#   to the Linux bits (the table itself is a constant of the source).
set(KK_CROSS_SKIPPED_TESTS
  FileTest.NamesWithInvalidBytesStillWork AM_FileOperations.CopyAndMoveByWidePath
  LibraryTest.TagsThatCannotBeKeptAreRefusedAndNotShown
  ProgramNamesTest.LongProgramNamesAreCutAtACharacterBoundary FileTest.FilesLeftOpenAreClosed
  PluginModuleTest.AnnouncesItselfToTheHost
  BandLimitedStep.TheProgramsTableIsTheDesignBitForBit)

if(KK_TESTS)
  enable_testing()
  # GoogleTest from Debian's source package (libgtest-dev ships its
  # sources), built with the cross compiler.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t} AND NOT TARGET GTest::${t})
      add_library(GTest::${t} ALIAS ${t})
    endif()
  endforeach()
  include(GoogleTest)
endif()

# FreeType and libpng for the editor's drawing, when the prefix holds them
# (tools/windows/build-libraries): static, with zlib from the cross prefix.
find_library(KK_WINDOWS_PNG png16 PATHS ${KK_WINDOWS_PREFIX}/lib
             NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_library(KK_WINDOWS_FREETYPE freetype PATHS ${KK_WINDOWS_PREFIX}/lib
             NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_library(KK_WINDOWS_ZLIB libz.a)
if(KK_WINDOWS_PNG AND KK_WINDOWS_FREETYPE AND KK_WINDOWS_ZLIB)
  add_library(kk_windows_png INTERFACE)
  target_include_directories(kk_windows_png INTERFACE ${KK_WINDOWS_PREFIX}/include/libpng16)
  target_link_libraries(kk_windows_png INTERFACE ${KK_WINDOWS_PNG} ${KK_WINDOWS_ZLIB})
  add_library(kk_windows_freetype INTERFACE)
  target_include_directories(kk_windows_freetype INTERFACE ${KK_WINDOWS_PREFIX}/include/freetype2)
  target_link_libraries(kk_windows_freetype INTERFACE ${KK_WINDOWS_FREETYPE} ${KK_WINDOWS_ZLIB})
endif()
