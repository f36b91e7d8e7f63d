// Device maintenance in the window: firmware update, password, clock, restart, counter reset, about box.

#include "app/MainWindow.h"

void TMain::wireMaintenance() {}
