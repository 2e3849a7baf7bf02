# MinGW-w64 cross build: the Win32 file seam and the text conversions it uses join the core; the Win32 layer, Pinote.dll, the
# stand-in host B2.exe and (x86_64) the GoogleTest programs run under Wine.
target_sources(pinote_core PRIVATE src/common/win32/file_io_win32.cpp src/common/win32/text.cpp)
target_link_libraries(pinote_core PUBLIC version)  # the language's name (text.cpp)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# No MinGW runtime DLLs next to anything we build.
add_link_options(-static -static-libgcc -static-libstdc++)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  # A calling-convention mismatch is a type error here; the 64-bit build cannot see it.
  add_compile_options(-Werror)
  # Undecorated stdcall names in the export tables (the .def names them undecorated).
  add_link_options(-Wl,--kill-at -Wl,--enable-stdcall-fixup)
endif()

set(PINOTE_WIN_LIBS user32 gdi32 comctl32 comdlg32 shell32 ole32 version imm32)

# The Win32 layer as three libraries, each linked to the layers below it only:
# host/win32 -> forms/win32 -> common/win32 -> core.
function(pinote_win_layer name folder)
  file(GLOB sources CONFIGURE_DEPENDS src/${folder}/win32/*.cpp)
  list(FILTER sources EXCLUDE REGEX "(file_io_win32|text)\\.cpp$")
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
pinote_win_layer(pinote_common_win common pinote_core ${PINOTE_WIN_LIBS})
pinote_win_layer(pinote_forms_win forms pinote_common_win)
pinote_win_layer(pinote_host_win host pinote_forms_win)
# A call upward fails the link here: each lower layer is linked whole, with only what lies
# below it, into a library of its own (a PE image tolerates no unresolved symbol).
file(WRITE ${CMAKE_BINARY_DIR}/layer_check.cpp "// Only links the layer below.\n")
foreach(layer common forms)
  add_library(pinote_${layer}_win_check SHARED ${CMAKE_BINARY_DIR}/layer_check.cpp)
  target_link_libraries(pinote_${layer}_win_check PRIVATE
    "$<LINK_LIBRARY:WHOLE_ARCHIVE,pinote_${layer}_win>")
endforeach()

# windres reports no included files: the dialog templates and ids must rebuild the resources.
set_source_files_properties(src/host/win32/pinote.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/src/forms/win32/dialogs.rc;${CMAKE_SOURCE_DIR}/src/forms/win32/control_ids.h;${CMAKE_SOURCE_DIR}/src/common/option_controls.h")
# The plug-in library: exports from the .def file at their fixed ordinals.
add_library(Pinote SHARED src/host/win32/pinote.def src/host/win32/pinote.rc)
set_target_properties(Pinote PROPERTIES PREFIX "" OUTPUT_NAME "Pinote"
  LINKER_LANGUAGE CXX)
target_link_libraries(Pinote PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,pinote_host_win>")
# No link time in the PE headers: the same sources give the same DLL, and so the same release
# archive.
target_link_options(Pinote PRIVATE -Wl,--no-insert-timestamp)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/CMakeLists.txt)
  add_subdirectory(tools)
endif()

# The same test programs on both targets: x86_64 under wine64, i686 (the release configuration)
# under 32-bit Wine; the toolchain file names the runner.
if(PINOTE_TESTS)
  enable_testing()
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # GoogleTest from source, built by this toolchain (Debian's googletest package puts it in
  # /usr/src/googletest); PINOTE_GTEST_SOURCE_DIR names another copy.
  find_path(PINOTE_GTEST_SOURCE_DIR NAMES googletest/include/gtest/gtest.h
    PATHS /usr/src /usr/local/src /opt/local/src PATH_SUFFIXES googletest
    NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  if(NOT PINOTE_GTEST_SOURCE_DIR)
    message(FATAL_ERROR "GoogleTest's sources not found: install googletest (Debian) or set "
                        "PINOTE_GTEST_SOURCE_DIR to the folder that holds googletest/")
  endif()
  add_subdirectory(${PINOTE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's assertions expand to if/else by design; GCC flags an unbraced
  # "if (x) EXPECT_EQ(...)" as a dangling else, which -Werror would make fatal in test code only.
  set(PINOTE_TEST_OPTIONS -Wno-dangling-else)
  file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS tests/core/*.cpp)
  add_executable(core_tests ${CORE_TEST_SOURCES})
  target_compile_options(core_tests PRIVATE ${PINOTE_TEST_OPTIONS})
  target_link_libraries(core_tests PRIVATE pinote_core gtest gtest_main)
  target_compile_definitions(core_tests PRIVATE PINOTE_CORPUS_DIR="Z:${CMAKE_SOURCE_DIR}/tests/data")
  add_test(NAME core_tests COMMAND core_tests)

  file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*.cpp)
  if(WIN_TEST_SOURCES)
    # The plug-in's resources (dialog templates, images) live in the test program too.
    add_executable(win32_tests ${WIN_TEST_SOURCES} src/host/win32/pinote.rc)
    target_compile_options(win32_tests PRIVATE ${PINOTE_TEST_OPTIONS})
    target_link_libraries(win32_tests PRIVATE pinote_host_win gtest gtest_main)
    add_test(NAME win32_tests COMMAND win32_tests)
    set_tests_properties(win32_tests PROPERTIES TIMEOUT 900)
    # The dialogs' texts and what depends on the code page, in Japanese under code page 932.
    add_test(NAME win32_tests_ja COMMAND win32_tests /JAPANESE
      "--gtest_filter=DialogText*:TellAndAsk.ShowsTheTablesCaption*:OptionsDialogTest.Captions*:OptionsDialogTest.DefaultFont*:StoredNamesOf.*:ShowAbout.*:ShowHelp.*:SystemCodePage.*")
    set_tests_properties(win32_tests_ja PROPERTIES TIMEOUT 600 ENVIRONMENT "LC_ALL=ja_JP.UTF-8")
  endif()

  # The stand-in host's checked call into plug-ins.
  file(GLOB B2_TEST_SOURCES CONFIGURE_DEPENDS tests/b2/*.cpp)
  if(B2_TEST_SOURCES)
    add_executable(b2_tests ${B2_TEST_SOURCES} tools/b2/plugin_call.cpp tools/b2/samples.cpp)
    target_compile_options(b2_tests PRIVATE ${PINOTE_TEST_OPTIONS})
    target_include_directories(b2_tests PRIVATE tools/b2 src)
    target_link_libraries(b2_tests PRIVATE gtest gtest_main)
    add_test(NAME b2_tests COMMAND b2_tests)
  endif()

  file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS tests/e2e/*.cpp)
  if(E2E_TEST_SOURCES)
    add_executable(e2e_tests ${E2E_TEST_SOURCES})
    target_compile_options(e2e_tests PRIVATE ${PINOTE_TEST_OPTIONS})
    target_link_libraries(e2e_tests PRIVATE pinote_core gtest gtest_main ${PINOTE_WIN_LIBS})
    target_compile_definitions(e2e_tests PRIVATE PINOTE_BUILD_DIR="${CMAKE_BINARY_DIR}"
      PINOTE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_dependencies(e2e_tests Pinote)
    if(TARGET B2)
      add_dependencies(e2e_tests B2)
    endif()
    add_test(NAME e2e_tests COMMAND e2e_tests)
    set_tests_properties(e2e_tests PROPERTIES TIMEOUT 900)
    # Wine takes the ANSI code page from the Unix locale of the whole process tree: the Japanese
    # cases (skipped above) run again with code page 932.
    add_test(NAME e2e_tests_ja COMMAND e2e_tests
      "--gtest_filter=JapaneseHost.*:PluginInfo.*:VersionMismatch.*:HostMenus.PluginAlone*")
    set_tests_properties(e2e_tests_ja PROPERTIES TIMEOUT 600 ENVIRONMENT "LC_ALL=ja_JP.UTF-8")
    # Code page 65001 (Windows' system-wide UTF-8): Wine gives it to a locale that has no ANSI code
    # page, such as Hindi. The locale is made here (glibc finds it through LOCPATH), as a system
    # seldom has it; where it cannot be made the UTF-8 cases are not run.
    set(PINOTE_UTF8_LOCALE_DIR ${CMAKE_BINARY_DIR}/locales)
    if(NOT EXISTS ${PINOTE_UTF8_LOCALE_DIR}/hi_IN.UTF-8)
      file(MAKE_DIRECTORY ${PINOTE_UTF8_LOCALE_DIR})
      execute_process(COMMAND localedef -i hi_IN -f UTF-8 ${PINOTE_UTF8_LOCALE_DIR}/hi_IN.UTF-8
        OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(EXISTS ${PINOTE_UTF8_LOCALE_DIR}/hi_IN.UTF-8)
      add_test(NAME e2e_tests_utf8 COMMAND e2e_tests "--gtest_filter=Utf8Host.*")
      set_tests_properties(e2e_tests_utf8 PROPERTIES TIMEOUT 600
        ENVIRONMENT "LC_ALL=hi_IN.UTF-8;LOCPATH=${PINOTE_UTF8_LOCALE_DIR}")
    else()
      message(STATUS "No hi_IN.UTF-8 locale could be made (localedef): the UTF-8 cases are not run")
    endif()
  endif()
endif()
