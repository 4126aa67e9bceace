// Entry point of "Orvane Pashto Translation Engine.exe", a COM local server.

#include <windows.h>

#include "server/win/server_process.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return kelar::RunServerProcess(instance); }
