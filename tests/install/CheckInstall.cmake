# Installs the build in BUILD into a fresh temporary prefix (a path with a
# blank in it) and checks what lands there: both programs runnable side by
# side, their icons, a program-menu entry for each that runs the installed
# program and names an installed icon, and nothing else.
#   cmake -DBUILD=<build folder> -P CheckInstall.cmake
if(NOT BUILD)
    message(FATAL_ERROR "BUILD not given")
endif()
set(tmp "$ENV{TMPDIR}")
if(NOT tmp)
    set(tmp /tmp)
endif()
string(RANDOM LENGTH 10 tag)
set(prefix "${tmp}/bp-install ${tag}")
file(REMOVE_RECURSE "${prefix}")

set(errors "")
macro(fail what)
    string(APPEND errors "  ${what}\n")
endmacro()

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    file(REMOVE_RECURSE "${prefix}")
    message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}${err}")
endif()

set(expected
    bin/BrannocPro
    bin/Quillon
    share/icons/hicolor/scalable/apps/brannocpro.svg
    share/icons/hicolor/scalable/apps/quillon.svg
    share/applications/brannocpro.desktop
    share/applications/quillon.desktop)
file(GLOB_RECURSE found RELATIVE "${prefix}" "${prefix}/*")
list(SORT found)
set(sorted ${expected})
list(SORT sorted)
if(NOT found STREQUAL sorted)
    fail("installed files: ${found}; expected: ${sorted}")
endif()

foreach(program BrannocPro Quillon)
    execute_process(COMMAND test -x "${prefix}/bin/${program}" RESULT_VARIABLE runnable)
    if(NOT runnable EQUAL 0)
        fail("bin/${program} is not runnable")
    endif()
endforeach()

foreach(pair "brannocpro;BrannocPro" "quillon;Quillon")
    list(GET pair 0 entry)
    list(GET pair 1 program)
    set(file "${prefix}/share/applications/${entry}.desktop")
    if(NOT EXISTS "${file}")
        continue()
    endif()
    file(READ "${file}" text)
    if(NOT text MATCHES "^\\[Desktop Entry\\]\n")
        fail("${entry}.desktop does not start with its group")
    endif()
    # The program by its installed path, quoted (the prefix has a blank).
    string(FIND "${text}" "\nExec=\"${prefix}/bin/${program}\"\n" at)
    if(at EQUAL -1)
        fail("${entry}.desktop does not run ${prefix}/bin/${program}:\n${text}")
    endif()
    if(NOT text MATCHES "\nIcon=${entry}\n")
        fail("${entry}.desktop does not name the icon ${entry}")
    endif()
    if(NOT text MATCHES "\nType=Application\n")
        fail("${entry}.desktop is not an application entry")
    endif()
endforeach()

file(READ "${prefix}/share/icons/hicolor/scalable/apps/brannocpro.svg" svg LIMIT 400)
if(NOT svg MATCHES "<svg")
    fail("brannocpro.svg is not a picture")
endif()

file(REMOVE_RECURSE "${prefix}")
if(errors)
    message(FATAL_ERROR "install into a scratch prefix:\n${errors}")
endif()
message(STATUS "install layout OK")
