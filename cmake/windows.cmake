# Windows build: the module DLL with the real Win32 seam.
add_library(Skyvane2004 SHARED
    ${SKYVANE_CORE_SOURCES}
    src/platform/win32/platform_win32.cpp
    src/platform/win32/dllmain.cpp
    src/platform/win32/Skyvane2004.def
)
skyvane_core_options(Skyvane2004)
set_target_properties(Skyvane2004 PROPERTIES PREFIX "" OUTPUT_NAME "Skyvane2004")
target_compile_definitions(Skyvane2004 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
# No MinGW runtime DLL may be needed beside the module.
target_link_options(Skyvane2004 PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
target_link_libraries(Skyvane2004 PRIVATE user32 advapi32 winmm comdlg32)
