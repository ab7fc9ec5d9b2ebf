# Windows build: the module DLL with the real Win32 seam.
add_library(Skyvane2004 SHARED
    ${SKYVANE_CORE_SOURCES}
    src/platform/win32/platform_win32.cpp
    src/platform/win32/directinput_win32.cpp
    src/platform/win32/files_win32.cpp
    src/platform/win32/dllmain.cpp
    src/platform/win32/Skyvane2004.def
)
skyvane_core_options(Skyvane2004)
set_target_properties(Skyvane2004 PROPERTIES PREFIX "" OUTPUT_NAME "Skyvane2004")
target_compile_definitions(Skyvane2004 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
# No MinGW runtime DLL may be needed beside the module.
target_link_options(Skyvane2004 PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
target_link_libraries(Skyvane2004 PRIVATE user32 advapi32 winmm comdlg32)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # The 64-bit module also goes into the test host's Modules folder.
  add_custom_command(TARGET Skyvane2004 POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/FS9/Modules
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Skyvane2004> ${CMAKE_BINARY_DIR}/FS9/Modules/)
  add_subdirectory(tools/fs9host)
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The release package: dist/Skyvane2004.zip with the module, a starter
  # configuration file and the install text, laid out as they go into the
  # simulator's folder.
  set(stage ${CMAKE_BINARY_DIR}/package)
  set(zip ${PROJECT_SOURCE_DIR}/dist/Skyvane2004.zip)
  add_custom_command(OUTPUT ${zip}
      COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/Modules ${PROJECT_SOURCE_DIR}/dist
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Skyvane2004> ${stage}/Modules/
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/package/Skyvane2004.cfg
              ${PROJECT_SOURCE_DIR}/package/Skyvane2004-Install.txt ${stage}/
      COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
      COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip
              Modules/Skyvane2004.dll Skyvane2004.cfg Skyvane2004-Install.txt
      DEPENDS Skyvane2004 ${PROJECT_SOURCE_DIR}/package/Skyvane2004.cfg
              ${PROJECT_SOURCE_DIR}/package/Skyvane2004-Install.txt
      COMMENT "Packing dist/Skyvane2004.zip")
  add_custom_target(release_package ALL DEPENDS ${zip})
endif()
