// router.h - the two message hooks, the router they feed and the module menu.
#pragma once

#include "platform/platform.h"

// Menu command ids (low word of WM_COMMAND's first parameter).
enum MenuCommandId : std::uint32_t {
    kMenuFlyBy = 30720,
    kMenuApproach = 30721,
    kMenuSetup = 30722,
    kMenuInternalView = 30723,
    kMenuExternalView = 30724,
    kMenuTrafficView = 30725,
    kMenuLookAtView = 30726,
    kMenuWheelZoom = 30727,
    kMenuMouseInSpot = 30728,
    kMenuSound = 30729,
    kMenuLoadViews = 30730,
    kMenuSaveViews = 30731,
    kMenuAbout = 30733,
    kMenuKeys = 30734,
    kMenuTowerMode = 30735,  // no menu item carries it
};

inline constexpr char kModuleMenuTitle[] = "Sky&vane 2004";

// Hook procedures (WH_CALLWNDPROC and WH_GETMESSAGE); lParam is the record.
PlatResult CallWndProcHook(int code, PlatWParam flag, PlatLParam record);
PlatResult GetMessageHook(int code, PlatWParam removal, PlatLParam message);

// Nonzero when the module consumed the message.
int RouteHostMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam);

// Append the module's popup to the host's fourth top-level menu.
void BuildModuleMenu();
