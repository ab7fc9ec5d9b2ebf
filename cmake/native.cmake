# Native build: the core on the substitute host, the scenario runner, tests
# and benchmarks.
add_library(skyvane_core STATIC ${SKYVANE_CORE_SOURCES})
skyvane_core_options(skyvane_core)

add_library(skyvane_hostsim STATIC
    hostsim/hostsim.cpp
    hostsim/host_process.cpp
    hostsim/sim_joysticks.cpp
    hostsim/sim_files.cpp
    src/platform/sim/platform_sim.cpp
    src/platform/sim/joystick_sim.cpp
    src/platform/sim/files_sim.cpp
)
target_include_directories(skyvane_hostsim PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_compile_options(skyvane_hostsim PRIVATE ${SKYVANE_WARNINGS})
target_link_libraries(skyvane_hostsim PUBLIC skyvane_core)
# The core and its seam call into each other.
target_link_libraries(skyvane_core PUBLIC skyvane_hostsim)

if(SKYVANE_FUZZ)
  # The fuzz build is the core, the substitute host and the harnesses.
  add_subdirectory(fuzz)
  return()
endif()

add_subdirectory(tools/skyvane-sim)
add_subdirectory(tools/pecheck)

enable_testing()
add_subdirectory(tests)

option(SKYVANE_BENCH "Build the benchmarks" OFF)
if(SKYVANE_BENCH)
  add_subdirectory(bench)
endif()
