# Windows build: the module DLL with the real Win32 seam and its dialog
# templates.
enable_language(RC)
add_library(Skyvane2004 SHARED
    ${SKYVANE_CORE_SOURCES}
    src/platform/win32/platform_win32.cpp
    src/platform/win32/directinput_win32.cpp
    src/platform/win32/host_calls_win32.cpp
    src/platform/win32/sound_win32.cpp
    src/platform/win32/dialogs_win32.cpp
    src/platform/win32/files_win32.cpp
    src/platform/win32/net_win32.cpp
    src/platform/win32/dllmain.cpp
    src/resources/Skyvane2004.rc
    src/platform/win32/Skyvane2004.def
)
skyvane_core_options(Skyvane2004)
set_target_properties(Skyvane2004 PROPERTIES PREFIX "" OUTPUT_NAME "Skyvane2004")
target_compile_definitions(Skyvane2004 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
# No MinGW runtime DLL may be needed beside the module.
target_link_options(Skyvane2004 PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
target_link_libraries(Skyvane2004 PRIVATE user32 advapi32 winmm comdlg32 comctl32)

# The effect sounds, as they go into the simulator's Skyvane\Sound folder.
file(GLOB sounds RELATIVE ${PROJECT_SOURCE_DIR}/package/Sound CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/package/Sound/*.wav)
set(sound_files)
set(sound_entries)
foreach(name ${sounds})
  list(APPEND sound_files ${PROJECT_SOURCE_DIR}/package/Sound/${name})
  list(APPEND sound_entries Skyvane/Sound/${name})
endforeach()

# The module and the effect sounds also go into the test host's folder: the
# 64-bit module for wine64, the shipped 32-bit one for wine32.
add_custom_command(TARGET Skyvane2004 POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/FS9/Modules
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Skyvane2004> ${CMAKE_BINARY_DIR}/FS9/Modules/
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/FS9/Skyvane/Sound
    COMMAND ${CMAKE_COMMAND} -E copy ${sound_files} ${CMAKE_BINARY_DIR}/FS9/Skyvane/Sound/
    VERBATIM)
add_subdirectory(tools/fs9host)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_subdirectory(tools/soundcheck)
  # The DLL's network seam on its own, for a test under wine64 that sends it
  # datagrams from the Linux side (tests/run_wine_net.sh).
  add_executable(net_win32_check tests/wine/net_win32_check.cpp src/platform/win32/net_win32.cpp)
  target_include_directories(net_win32_check PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(net_win32_check PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_compile_options(net_win32_check PRIVATE ${SKYVANE_WARNINGS})
  target_link_options(net_win32_check PRIVATE -static)
  target_link_libraries(net_win32_check PRIVATE ws2_32)
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The release package: dist/Skyvane2004.zip with the module, the effect
  # sounds, a starter configuration file, the head tracking settings
  # (tracking off) and the install text, laid out as they go into the
  # simulator's folder.
  set(stage ${CMAKE_BINARY_DIR}/package)
  set(zip ${PROJECT_SOURCE_DIR}/dist/Skyvane2004.zip)
  add_custom_command(OUTPUT ${zip}
      COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/Modules ${stage}/Skyvane/Sound ${PROJECT_SOURCE_DIR}/dist
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Skyvane2004> ${stage}/Modules/
      COMMAND ${CMAKE_COMMAND} -E copy ${sound_files} ${stage}/Skyvane/Sound/
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/package/Skyvane2004.cfg
              ${PROJECT_SOURCE_DIR}/package/Skyvane2004-HeadTracking.cfg
              ${PROJECT_SOURCE_DIR}/package/Skyvane2004-Install.txt ${stage}/
      COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
      COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip
              Modules/Skyvane2004.dll ${sound_entries} Skyvane2004.cfg Skyvane2004-HeadTracking.cfg
              Skyvane2004-Install.txt
      DEPENDS Skyvane2004 ${sound_files} ${PROJECT_SOURCE_DIR}/package/Skyvane2004.cfg
              ${PROJECT_SOURCE_DIR}/package/Skyvane2004-HeadTracking.cfg
              ${PROJECT_SOURCE_DIR}/package/Skyvane2004-Install.txt
      COMMENT "Packing dist/Skyvane2004.zip"
      VERBATIM)
  add_custom_target(release_package ALL DEPENDS ${zip})
endif()
