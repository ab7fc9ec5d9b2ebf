# Native build: the core on the substitute host, the scenario runner, tests
# and benchmarks.
add_library(skyvane_core STATIC ${SKYVANE_CORE_SOURCES})
skyvane_core_options(skyvane_core)

# The substitute host builds its dialogs from the module's own resource
# script, compiled here with MinGW's resource compiler and embedded.
find_program(SKYVANE_WINDRES NAMES i686-w64-mingw32-windres x86_64-w64-mingw32-windres REQUIRED)
set(SKYVANE_RES ${CMAKE_BINARY_DIR}/dialogs.res)
set(SKYVANE_RES_SOURCE ${CMAKE_BINARY_DIR}/sim_dialog_resources.cpp)
add_custom_command(OUTPUT ${SKYVANE_RES}
    COMMAND ${SKYVANE_WINDRES} -O res -I ${PROJECT_SOURCE_DIR}/src/resources
            ${PROJECT_SOURCE_DIR}/src/resources/Skyvane2004.rc ${SKYVANE_RES}
    DEPENDS ${PROJECT_SOURCE_DIR}/src/resources/Skyvane2004.rc ${PROJECT_SOURCE_DIR}/src/resources/dialog_ids.h
    COMMENT "Compiling the dialog templates for the substitute host")
add_custom_command(OUTPUT ${SKYVANE_RES_SOURCE}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${SKYVANE_RES} -DOUTPUT=${SKYVANE_RES_SOURCE}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_resources.cmake
    DEPENDS ${SKYVANE_RES} ${PROJECT_SOURCE_DIR}/cmake/embed_resources.cmake)
add_library(skyvane_simdialogs STATIC
    hostsim/sim_dialogs.cpp
    tools/dialogs/dialog_template.cpp
    ${SKYVANE_RES_SOURCE}
)
target_include_directories(skyvane_simdialogs PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_compile_options(skyvane_simdialogs PRIVATE ${SKYVANE_WARNINGS})

add_library(skyvane_hostsim STATIC
    hostsim/hostsim.cpp
    hostsim/host_process.cpp
    hostsim/sim_memory.cpp
    hostsim/sim_joysticks.cpp
    hostsim/sim_objects.cpp
    hostsim/sim_traffic.cpp
    hostsim/ai_traffic.cpp
    hostsim/sim_sound.cpp
    hostsim/sim_files.cpp
    src/platform/sim/platform_sim.cpp
    src/platform/sim/joystick_sim.cpp
    src/platform/sim/host_calls_sim.cpp
    src/platform/sim/sound_sim.cpp
    src/platform/sim/mmio_sim.cpp
    src/platform/sim/dialogs_sim.cpp
    src/platform/sim/files_sim.cpp
    src/platform/sim/net_sim.cpp
)
target_include_directories(skyvane_hostsim PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_compile_options(skyvane_hostsim PRIVATE ${SKYVANE_WARNINGS})
target_link_libraries(skyvane_hostsim PUBLIC skyvane_core skyvane_simdialogs)
# The core and its seam call into each other: the linker goes over the
# pair more than once.
target_link_libraries(skyvane_core PUBLIC skyvane_hostsim)
set_target_properties(skyvane_core skyvane_hostsim PROPERTIES LINK_INTERFACE_MULTIPLICITY 3)

if(SKYVANE_FUZZ)
  # The fuzz build is the core, the substitute host and the harnesses.
  add_subdirectory(fuzz)
  return()
endif()

add_subdirectory(tools/skyvane-sim)
add_subdirectory(tools/pecheck)
add_subdirectory(tools/udpsend)
# The effect sounds shipped in package/Sound are this program's output.
add_executable(soundpack tools/soundpack/soundpack.cpp)
target_compile_options(soundpack PRIVATE ${SKYVANE_WARNINGS})
# Reads the audio stream wine wrote to a file (tests/wine/sound_stream.sh).
add_executable(stream_check tools/soundcheck/stream_check.cpp)
target_compile_options(stream_check PRIVATE ${SKYVANE_WARNINGS})

enable_testing()
add_subdirectory(tests)

option(SKYVANE_BENCH "Build the benchmarks" OFF)
if(SKYVANE_BENCH)
  add_subdirectory(bench)
endif()
