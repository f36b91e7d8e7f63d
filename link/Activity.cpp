#include "link/Activity.h"

const char* activityName(Activity a) {
    switch (a) {
    case Activity::Idle: return "Idle";
    case Activity::Connecting: return "Connecting";
    case Activity::LoggedIn: return "LoggedIn";
    case Activity::Reading: return "Reading";
    case Activity::Writing: return "Writing";
    case Activity::Comparing: return "Comparing";
    case Activity::DownloadStarting: return "DownloadStarting";
    case Activity::Downloading: return "Downloading";
    case Activity::Stopping: return "Stopping";
    case Activity::Erasing: return "Erasing";
    case Activity::Service: return "Service";
    case Activity::Firmware: return "Firmware";
    case Activity::LoggingOut: return "LoggingOut";
    case Activity::Searching: return "Searching";
    case Activity::ShuttingDown: return "ShuttingDown";
    }
    return "?";
}

void ActivityState::enter(Activity a) {
    if (current_ == Activity::ShuttingDown) return;
    current_ = a;
    Q_EMIT changed(current_);
}

void ActivityState::move(Activity from, Activity to) {
    if (current_ == from) enter(to);
}

void ActivityState::leave(Activity a) {
    if (current_ == a) settle(loggedIn_ && *loggedIn_);
}

void ActivityState::settle(bool loggedIn) {
    if (current_ == Activity::ShuttingDown) return;
    current_ = loggedIn ? Activity::LoggedIn : Activity::Idle;
    Q_EMIT changed(current_);
}
