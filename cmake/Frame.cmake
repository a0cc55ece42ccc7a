# Build helpers shared by the three libraries.
#
#   frame_core_library(<name> <sources...>)      window-system-free code, built in every configuration
#   frame_native_test(<name> SOURCES .. LIBS ..) host-compiled GoogleTest program (native configuration only)
#   frame_com_library(<Name> IDL <file> VERSION <maj.min> DESCRIPTION <text> SOURCES .. LIBS ..)
#                                                in-process COM server DLL with its embedded type library
#   frame_type_library(<target> <Name> IDL <file> VERSION <maj.min> DESCRIPTION <text>)
#                                                type library + header generated from an IDL, embedded in <target>
#   frame_wine_test(<name> SOURCES .. LIBS .. [DEPENDS ..] [RUNNER <script>])
#                                                cross-compiled GoogleTest program run under Wine by CTest
#   frame_widl_tlb(<output.tlb> <file.idl> [32|64])
#                                                a type library straight from widl (no names applied)
#   frame_fuzz_target(<name> SOURCES .. LIBS .. [SEEDS <folders>] [DEPENDS ..])
#                                                libFuzzer program (FRAME_SANITIZE builds), run by CTest

# ------------------------------------------------------------ sanitizers and fuzzing
# FRAME_SANITIZE, for a native configuration built with clang (build/sanitize):
# everything (GoogleTest, the cores, their tests) is built with AddressSanitizer
# and UndefinedBehaviorSanitizer, any finding ends the program, and the code
# carries libFuzzer's coverage so that frame_fuzz_target programs can link it.
option(FRAME_SANITIZE "Sanitizers and fuzz targets (native clang configuration)" OFF)
set(FRAME_FUZZ_SECONDS 4 CACHE STRING "How long CTest runs each fuzz target")
if(FRAME_SANITIZE)
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "FRAME_SANITIZE needs the native configuration with clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
                      -fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=address,undefined)
  # Where a finding was made, in the test's output.
  set(FRAME_SANITIZE_ENVIRONMENT "UBSAN_OPTIONS=print_stacktrace=1")
endif()

set(FRAME_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${FRAME_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Unoptimised: the test programs spend their time in Wine, not in GoogleTest,
  # and optimising it is the longest compile of a build.
  if(WIN32)
    target_compile_options(gtest PRIVATE -O0)
  endif()
endif()

# Build steps after widl run on the build machine, so every configuration
# builds them with the host compiler: frame_host_tool(<target> <program>
# SOURCES .. HEADERS ..) sets FRAME_HOST_TOOL to the program's path.
if(WIN32)
  find_program(FRAME_HOST_CXX NAMES c++ g++ REQUIRED)
else()
  set(FRAME_HOST_CXX ${CMAKE_CXX_COMPILER})
endif()
# A cross build can take them from the native build instead
# (FRAME_HOST_TOOLS_DIR, as scripts/build.sh does), which builds them by default.
set(FRAME_HOST_TOOLS_DIR "" CACHE PATH "Folder of host tools built by the native configuration")
function(frame_host_tool target program)
  cmake_parse_arguments(H "" "" "SOURCES;HEADERS" ${ARGN})
  if(WIN32 AND FRAME_HOST_TOOLS_DIR)
    add_custom_target(${target})
    set(FRAME_HOST_TOOL ${FRAME_HOST_TOOLS_DIR}/${program} PARENT_SCOPE)
    return()
  endif()
  list(TRANSFORM H_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/common/)
  list(TRANSFORM H_HEADERS PREPEND ${CMAKE_SOURCE_DIR}/common/)
  set(path ${CMAKE_BINARY_DIR}/host/${program})
  add_custom_command(
    OUTPUT ${path}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND ${FRAME_HOST_CXX} -std=c++20 -O2 -I${CMAKE_SOURCE_DIR} -o ${path} ${H_SOURCES}
    DEPENDS ${H_SOURCES} ${H_HEADERS}
    COMMENT "host tool ${program}")
  if(WIN32)
    add_custom_target(${target} DEPENDS ${path})
  else()
    add_custom_target(${target} ALL DEPENDS ${path})
  endif()
  set(FRAME_HOST_TOOL ${path} PARENT_SCOPE)
endfunction()

# Gives type library items their LIBRARY_NAME names (common/frame.idl, common/typelib_names.h).
frame_host_tool(frame_typelib_names_tool typelib_names
  SOURCES typelib_names.cpp typelib_names_tool.cpp HEADERS typelib_names.h)
set(FRAME_TYPELIB_NAMES ${FRAME_HOST_TOOL})
# Writes the library's assembly manifest and its version resource's numbers (common/library_files.h).
frame_host_tool(frame_library_files_tool library_files
  SOURCES typelib_names.cpp library_files.cpp library_files_tool.cpp HEADERS typelib_names.h library_files.h)
set(FRAME_LIBRARY_FILES ${FRAME_HOST_TOOL})
if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
  set(FRAME_MANIFEST_ARCH amd64)
else()
  set(FRAME_MANIFEST_ARCH x86)
endif()

# Small DLLs. The cross builds favour size (each member does little work; a
# target whose speed matters adds -O2 back), and every function and datum gets
# a section of its own, so that the DLLs' link drops what nothing calls.
if(WIN32)
  foreach(language C CXX)
    string(REGEX REPLACE "-O[0-9s]" "-Os" CMAKE_${language}_FLAGS_RELEASE "${CMAKE_${language}_FLAGS_RELEASE}")
  endforeach()
  add_compile_options(-ffunction-sections -fdata-sections)
  # No run-time type information: nothing asks for it, and every polymorphic
  # class would carry its type's name and descriptor (5 KiB a DLL).
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
  # The DLLs (the only shared libraries here) link against the same GCC's
  # runtime built for Win32 threads: they start no thread and use no
  # std::thread or std::mutex, and that runtime takes its few locks from
  # Win32 rather than bringing the POSIX threads layer (32 KiB). Code that
  # needed that layer would fail to link, not misbehave.
  string(REPLACE "-posix" "-win32" frame_dll_linker "${CMAKE_CXX_COMPILER}")
  if(NOT frame_dll_linker STREQUAL CMAKE_CXX_COMPILER AND EXISTS "${frame_dll_linker}")
    string(REPLACE "<CMAKE_CXX_COMPILER>" "${frame_dll_linker}" CMAKE_CXX_CREATE_SHARED_LIBRARY
           "${CMAKE_CXX_CREATE_SHARED_LIBRARY}")
  endif()
endif()

set(FRAME_DIST_DIR ${CMAKE_SOURCE_DIR}/dist/${FRAME_ARCH} CACHE PATH "Deliverables folder")
set(FRAME_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)

function(frame_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(NOT WIN32)
    target_compile_options(${name} PRIVATE -Wall -Wextra)
  endif()
endfunction()

function(frame_native_test name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${FRAME_SANITIZE_ENVIRONMENT}")
endfunction()

# Compiles <idl> to a type library, a C/C++ header and the identifiers file,
# and embeds the type library (resource TYPELIB 1) and a version resource
# into <target>. Sets <name>_GENERATED to the folder of the outputs.
function(frame_type_library target name)
  cmake_parse_arguments(L "" "IDL;VERSION;DESCRIPTION" "" ${ARGN})
  string(TOLOWER ${name} lower)
  set(gen ${CMAKE_CURRENT_BINARY_DIR}/generated)
  file(MAKE_DIRECTORY ${gen})
  get_filename_component(idl ${L_IDL} ABSOLUTE)
  set(widl_flags ${WIDL_TARGET_FLAGS} -I/usr/include/wine/wine/windows
      -L /usr/lib/i386-linux-gnu/wine/i386-windows -I${CMAKE_SOURCE_DIR})
  # The manifest and the version resource's numbers come from the built type
  # library; VERSION, when given, must agree with it.
  add_custom_command(
    OUTPUT ${gen}/${name}.tlb ${gen}/${lower}_h.h ${gen}/${lower}_i.c ${gen}/${name}.manifest
           ${gen}/${name}_version.h
    COMMAND widl ${widl_flags} -t -o ${gen}/${name}.widl.tlb ${idl}
    COMMAND ${FRAME_TYPELIB_NAMES} ${gen}/${name}.widl.tlb ${gen}/${name}.tlb
    COMMAND ${FRAME_LIBRARY_FILES} ${gen}/${name}.tlb ${name}.dll ${FRAME_MANIFEST_ARCH}
            ${gen}/${name}.manifest ${gen}/${name}_version.h ${L_VERSION}
    # FRAME_HEADER: the C++ header leaves out defaults a C++ signature cannot take.
    COMMAND widl ${widl_flags} -DFRAME_HEADER -h -H ${gen}/${lower}_h.h -u -U ${gen}/${lower}_i.c ${idl}
    DEPENDS ${idl} ${CMAKE_SOURCE_DIR}/common/frame.idl ${FRAME_TYPELIB_NAMES} ${FRAME_LIBRARY_FILES}
    COMMENT "widl ${L_IDL}")
  set(FRAME_LIBRARY_NAME ${name})
  set(FRAME_LIBRARY_DESCRIPTION "${L_DESCRIPTION}")
  set(FRAME_TLB ${gen}/${name}.tlb)
  configure_file(${CMAKE_SOURCE_DIR}/common/library.rc.in ${gen}/${name}.rc @ONLY)
  set_source_files_properties(${gen}/${name}.rc PROPERTIES
    OBJECT_DEPENDS "${gen}/${name}.tlb;${gen}/${name}_version.h")
  add_custom_target(${name}_generated DEPENDS ${gen}/${name}.tlb ${gen}/${lower}_h.h)
  add_dependencies(${name}_generated frame_typelib_names_tool frame_library_files_tool)
  target_sources(${target} PRIVATE ${gen}/${name}.rc)
  target_include_directories(${target} PRIVATE ${gen} ${CMAKE_CURRENT_SOURCE_DIR})
  add_dependencies(${target} ${name}_generated)
  set(${name}_GENERATED ${gen} PARENT_SCOPE)
endfunction()

function(frame_com_library name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(L "NO_DIST" "IDL;VERSION;DESCRIPTION" "SOURCES;LIBS" ${ARGN})
  string(TOLOWER ${name} lower)
  add_library(${name} SHARED ${L_SOURCES} ${CMAKE_SOURCE_DIR}/common/exports.def)
  frame_type_library(${name} ${name} IDL ${L_IDL} VERSION ${L_VERSION} DESCRIPTION "${L_DESCRIPTION}")
  set(gen ${${name}_GENERATED})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_link_libraries(${name} PRIVATE frame ${L_LIBS})
  # Static runtime, so no runtime DLL stands beside the library; stripped, and
  # without unreferenced sections or the runtime's console-only parts
  # (common/lean_runtime.cpp).
  target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/common/lean_runtime.cpp)
  target_link_options(${name} PRIVATE -static -Wl,--kill-at -s -Wl,--gc-sections)
  # The assembly manifest also as resource 1 of type 24 (RT_MANIFEST): a
  # program that names the library in its own manifest looks there first.
  file(CONFIGURE OUTPUT ${gen}/${name}_manifest.rc CONTENT "1 24 \"${gen}/${name}.manifest\"\n")
  set_source_files_properties(${gen}/${name}_manifest.rc PROPERTIES OBJECT_DEPENDS ${gen}/${name}.manifest)
  target_sources(${name} PRIVATE ${gen}/${name}_manifest.rc)
  # Clients of the library (its tests among them) see its generated header.
  add_library(${name}_idl INTERFACE)
  target_include_directories(${name}_idl INTERFACE ${gen})
  add_dependencies(${name}_idl ${name}_generated)

  if(L_NO_DIST)
    return()
  endif()
  # The deliverables, for the release archive and the examples.
  set_property(GLOBAL APPEND PROPERTY FRAME_DIST_LIBRARIES ${name})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FRAME_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${name}> ${gen}/${name}.tlb
            ${gen}/${lower}_h.h ${gen}/${lower}_i.c ${gen}/${name}.manifest ${FRAME_DIST_DIR})
endfunction()

#   RUNNER <script>: runs the program through another script than scripts/wine-run.sh
#   (scripts/wine-fresh-run.sh: in a fresh prefix where nothing is registered).
function(frame_wine_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "RUNNER" "SOURCES;LIBS;DEPENDS" ${ARGN})
  if(NOT T_RUNNER)
    set(T_RUNNER ${FRAME_WINE_RUN})
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} frame_test_main frame_testing gtest)
  target_link_options(${name} PRIVATE -static)
  # Test code compiles unoptimised: it waits on Wine, and builds are half compiling.
  target_compile_options(${name} PRIVATE -O0)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  add_test(NAME ${FRAME_ARCH}.${name} COMMAND ${T_RUNNER} $<TARGET_FILE:${name}>)
endfunction()

# A benchmark program run under Wine by hand (figures go to docs/benchmarks.md).
function(frame_bench name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  # Built on request (the `benchmarks` target), not by every build.
  add_executable(${name} EXCLUDE_FROM_ALL ${B_SOURCES})
  if(NOT TARGET benchmarks)
    add_custom_target(benchmarks)
  endif()
  add_dependencies(benchmarks ${name})
  target_link_libraries(${name} PRIVATE ${B_LIBS} frame_testing)
  target_link_options(${name} PRIVATE -static)
  if(B_DEPENDS)
    add_dependencies(${name} ${B_DEPENDS})
  endif()
endfunction()

# A type library straight from widl, for the tests of the build step that
# follows it: frame_widl_tlb(<output.tlb> <file.idl> 32|64)
function(frame_widl_tlb output idl bits)
  if(bits STREQUAL "64")
    set(target_flags --win64 -m64)
  else()
    set(target_flags --win32 -m32)
  endif()
  add_custom_command(
    OUTPUT ${output}
    COMMAND widl ${target_flags} -I/usr/include/wine/wine/windows -L /usr/lib/i386-linux-gnu/wine/i386-windows
            -I${CMAKE_SOURCE_DIR} -t -o ${output} ${idl}
    DEPENDS ${idl} ${CMAKE_SOURCE_DIR}/common/frame.idl
    COMMENT "widl ${idl}")
endfunction()

# A libFuzzer program over a window-system-free core (FRAME_SANITIZE builds only).
# CTest runs it as fuzz.<name> for FRAME_FUZZ_SECONDS, starting from the seeds
# in tests/fuzz/seeds/<name> beside the library (when there are any) and the
# SEEDS folders; inputs it finds stay in the build folder for the next run, a
# failing input is written there as fuzz/<name>-crash-... .
function(frame_fuzz_target name)
  if(NOT FRAME_SANITIZE)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS;SEEDS;DEPENDS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  if(F_DEPENDS)
    add_dependencies(${name} ${F_DEPENDS})
  endif()
  set(corpus ${CMAKE_BINARY_DIR}/fuzz/${name})
  file(MAKE_DIRECTORY ${corpus})
  set(seeds ${F_SEEDS})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/seeds/${name})
    list(PREPEND seeds ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/seeds/${name})
  endif()
  add_test(NAME fuzz.${name}
           COMMAND ${name} -max_total_time=${FRAME_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=1 -artifact_prefix=${corpus}- ${corpus} ${seeds})
  set_tests_properties(fuzz.${name} PROPERTIES ENVIRONMENT "${FRAME_SANITIZE_ENVIRONMENT}")
endfunction()
