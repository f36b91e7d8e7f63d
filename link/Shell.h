#pragma once
// What the operations of every subsystem need from the main window around them.

#include "link/Link.h"

class QWidget;

class Shell : public LinkHost {
public:
    // Live status display and the periodic status request on or off.
    virtual void ShowLiveStatus() = 0;
    virtual void HideLiveStatus() = 0;
    // The two login arrangements of the window's controls.
    virtual void EnterLoggedIn() = 0;
    // Opens the chosen port when it is closed and shows it as connected (raises no lines). Throws
    // PortError when the port cannot be opened.
    virtual void openSelectedPort() = 0;
    // The parent for dialogs.
    virtual QWidget* dialogParent() = 0;
    // Something the usable controls depend on has changed outside an activity change.
    virtual void refreshControls() = 0;
    // A status reply, a finished transfer or a finished download: the transfer buttons may be used.
    virtual void armTransferButtons() = 0;
};
