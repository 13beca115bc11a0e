# Helpers shared by every target of the project.

# Two builds of one commit give the same bytes wherever they are made: no
# build path in any object, no time stamp in any image or archive. Paths in
# the debug information are relative to the source and the build tree (the
# build tree's mapping comes last, so it wins for a build tree inside the
# sources), so a debugger started in the sources finds them.
add_compile_options(
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>)
add_link_options(-Wl,--no-insert-timestamp)
foreach(lang C CXX)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()

# A binary that ships: after the link its debug information and symbols
# move to <file>.debug beside it, and the binary keeps only a debug link to
# that file (its name and CRC), which debuggers and crash tools follow.
function(ship_without_debug_sections target)
  set(file $<TARGET_FILE:${target}>)
  # objcopy stamps the images it writes with the time unless given one: the
  # linker's stamp, none (0).
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug ${file} ${file}.debug
    COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    COMMENT "Debug information of ${target} to its .debug file"
    VERBATIM)
endfunction()

# Static C and C++ runtimes, so each binary stands alone.
function(link_runtime_statically target)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

# Compiles IDL_FILE with widl into a header (<name>.h), the interface
# identifiers (<name>_i.c) and, with TLB, a type library (<name>.tlb), all in
# the build tree. Sets <var>_HEADER, <var>_IID and <var>_TLB in the caller.
set(WIDL_INCLUDE_DIRS /usr/include/wine/wine/windows /usr/share/mingw-w64/include CACHE STRING "")
function(add_idl var idl_file)
  cmake_parse_arguments(ARG "TLB" "" "INCLUDES" ${ARGN})
  get_filename_component(name ${idl_file} NAME_WE)
  get_filename_component(idl_abs ${idl_file} ABSOLUTE)
  get_filename_component(idl_dir ${idl_abs} DIRECTORY)
  set(out ${CMAKE_BINARY_DIR}/idl)
  set(outputs ${out}/${name}.h ${out}/${name}_i.c)
  set(tlb_args)
  if(ARG_TLB)
    list(APPEND outputs ${out}/${name}.tlb)
    set(tlb_args -t -o ${out}/${name}.tlb -L ${WINE_STDOLE_DIR})
  endif()
  set(incs -I${idl_dir})
  foreach(d ${ARG_INCLUDES} ${WIDL_INCLUDE_DIRS})
    list(APPEND incs -I${d})
  endforeach()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${WIDL_EXECUTABLE} --win32 ${incs} -h -o ${out}/${name}.h ${idl_abs}
    COMMAND ${WIDL_EXECUTABLE} --win32 ${incs} -u -o ${out}/${name}_i.c ${idl_abs}
    COMMAND ${WIDL_EXECUTABLE} --win32 ${incs} ${tlb_args} ${idl_abs}
    DEPENDS ${idl_abs}
    COMMENT "widl ${name}.idl"
    VERBATIM)
  set(${var}_HEADER ${out}/${name}.h PARENT_SCOPE)
  set(${var}_IID ${out}/${name}_i.c PARENT_SCOPE)
  set(${var}_TLB ${out}/${name}.tlb PARENT_SCOPE)
  set(${var}_DIR ${out} PARENT_SCOPE)
endfunction()

# A Wine prefix of its own for the tests that name it (add_wine_test PREFIX):
# made ready and given a persistent server by the fixture wine_prefix_NAME.
function(add_wine_prefix prefix)
  if(TEST wine_prefix_${prefix}_start)
    return()
  endif()
  add_test(NAME wine_prefix_${prefix}_start COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh --start)
  add_test(NAME wine_prefix_${prefix}_stop COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh --stop)
  set_tests_properties(wine_prefix_${prefix}_start PROPERTIES
    FIXTURES_SETUP wine_prefix_${prefix} TIMEOUT 600 ENVIRONMENT ZP_WINE_PREFIX=${prefix})
  set_tests_properties(wine_prefix_${prefix}_stop PROPERTIES
    FIXTURES_CLEANUP wine_prefix_${prefix} ENVIRONMENT ZP_WINE_PREFIX=${prefix})
endfunction()

# A test executable run under Wine by ctest. Every test waits for its Wine
# prefix and that prefix's persistent server: the shared one (the wine_prefix
# fixture), or with PREFIX one of its own, so that it runs beside the tests of
# other prefixes whatever machine-wide state it changes.
function(add_wine_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT;PREFIX" "COMMAND" ${ARGN})
  if(NOT ARG_COMMAND)
    set(ARG_COMMAND ${name})
  endif()
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_PREFIX)
    add_wine_prefix(${ARG_PREFIX})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix_${ARG_PREFIX})
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ZP_WINE_PREFIX=${ARG_PREFIX})
  else()
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
endfunction()

# A GoogleTest program from the given sources, run under Wine.
function(add_gtest_program name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE gtest gtest_main ${ARG_LIBS})
  link_runtime_statically(${name})
  add_wine_test(${name} COMMAND ${name} --gtest_color=no TIMEOUT ${ARG_TIMEOUT})
endfunction()

# Links every object of the given static libraries into target, also those
# that only a .def file or the C runtime's start-up refers to (an export list
# does not pull members out of an archive), and takes their usage
# requirements.
function(link_whole_libraries target)
  set(files)
  foreach(lib ${ARGN})
    list(APPEND files $<TARGET_FILE:${lib}>)
  endforeach()
  target_link_options(${target} PRIVATE -Wl,--whole-archive ${files} -Wl,--no-whole-archive)
  target_link_libraries(${target} PRIVATE ${ARGN})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${files})
endfunction()
