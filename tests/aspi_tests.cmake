# Test programs that reach their drives through ASPI, as on Windows 9x.
#
# Wine reports the 9x platform to a program whose exe name has the per-program setting
# HKCU\Software\Wine\AppDefaults\<exe>\Version = win98; the setting test that
# add_aspi_wine_test registers puts it into the build's Wine prefix before any run of the
# program. Each run then chooses the wnaspi32 library it finds:
#   SIMULATED        our simulated library, copied beside the exe (Wine's built-in one would win
#                    without the override wnaspi32=n)
#   MISSING          wnaspi32 disabled: LoadLibraryA fails
#   WITHOUT_ENTRIES  a library of that name without the two entry points, beside a copy of the
#                    exe in the folder without_entries/
# A run may hang only if the transport waits for a completion that never comes, so each has a
# time limit.

set(ASPI_TEST_TIMEOUT 60)

# Puts both libraries into the current test folder, once per folder, again whenever one of them
# is rebuilt. Returns the name of the target that does it in `out`.
function(copy_aspi_libraries_here out)
    string(MAKE_C_IDENTIFIER "aspi_libraries_${CMAKE_CURRENT_BINARY_DIR}" target)
    if(NOT TARGET ${target})
        set(here ${CMAKE_CURRENT_BINARY_DIR})
        add_custom_command(
            OUTPUT ${here}/wnaspi32.dll ${here}/without_entries/wnaspi32.dll
            COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:wnaspi32_simulated> ${here}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${here}/without_entries
            COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:wnaspi32_without_entries>
                    ${here}/without_entries
            DEPENDS wnaspi32_simulated wnaspi32_without_entries)
        add_custom_target(${target}
            DEPENDS ${here}/wnaspi32.dll ${here}/without_entries/wnaspi32.dll)
    endif()
    set(${out} ${target} PARENT_SCOPE)
endfunction()

function(add_aspi_wine_test name)
    cmake_parse_arguments(TEST "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${TEST_SOURCES})
    target_link_libraries(${name} PRIVATE ${TEST_LIBRARIES} sim_seam gmock gtest_main)
    copy_aspi_libraries_here(libraries)
    add_dependencies(${name} ${libraries})
    # The copy of the exe that finds the library without entry points beside it.
    add_custom_command(TARGET ${name} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${name}>/without_entries
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${name}>
                $<TARGET_FILE_DIR:${name}>/without_entries)
    add_test(NAME ${name}_as_windows_98
        COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh reg add
                "HKCU\\Software\\Wine\\AppDefaults\\${name}.exe" /v Version /d win98 /f)
    set_tests_properties(${name}_as_windows_98 PROPERTIES FIXTURES_SETUP windows_98_${name})
endfunction()

# One run of an ASPI test program: add_aspi_wine_run(<test name> PROGRAM <target>
#     LIBRARY SIMULATED|MISSING|WITHOUT_ENTRIES [ARGS <program arguments>...])
function(add_aspi_wine_run name)
    cmake_parse_arguments(RUN "" "PROGRAM;LIBRARY" "ARGS" ${ARGN})
    set(exe $<TARGET_FILE:${RUN_PROGRAM}>)
    set(override "wnaspi32=n")
    if(RUN_LIBRARY STREQUAL "MISSING")
        set(override "wnaspi32=")
    elseif(RUN_LIBRARY STREQUAL "WITHOUT_ENTRIES")
        set(exe $<TARGET_FILE_DIR:${RUN_PROGRAM}>/without_entries/$<TARGET_FILE_NAME:${RUN_PROGRAM}>)
    elseif(NOT RUN_LIBRARY STREQUAL "SIMULATED")
        message(FATAL_ERROR "add_aspi_wine_run ${name}: unknown LIBRARY ${RUN_LIBRARY}")
    endif()
    add_test(NAME ${name} COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh ${exe} ${RUN_ARGS})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "WINEDLLOVERRIDES=${override}"
        FIXTURES_REQUIRED windows_98_${RUN_PROGRAM}
        TIMEOUT ${ASPI_TEST_TIMEOUT})
endfunction()
