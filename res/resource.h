#pragma once
// Resource names shared by Tarvo.rc and the code that loads them (LoadIcon by name).

#define IDI_MAINICON "MAINICON"
#define IDI_TRAYICON "TRAYICON"
