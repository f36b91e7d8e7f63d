#pragma once
// The one record of link variables, owned by the main window and shared by every operation that talks
// to the recorder.

#include "link/ReplyAssembler.h"

#include <QByteArray>
#include <array>
#include <bitset>

struct LinkState {
    // rxBuffer, frameStarted and frameStart of the frame assembler.
    AssemblerState assembler;
    QByteArray txFrame;        // last command frame written; resent unchanged on a time-out
    quint8 replyCode = 0;      // code of the last valid reply; 0 after each awaited send
    QByteArray replyPayload;   // payload of the last valid reply; emptied after each awaited send
    bool sending = false;      // a command is being sent or awaits its reply
    quint16 timeoutTicks = 0;  // countdown of the current wait in ticks
    quint8 pollTicks = 0;      // ticks since the last exchange, 0..9
    bool pollingEnabled = false;
    bool loggedIn = false;
    quint8 lastSingleByte = 0;  // '.' after each receive event, or the byte when the event brought one byte
    bool stopRequested = false;
    // Every reply code that arrived since the last awaited send. A wait ends on its code even when a
    // later frame has replaced replyCode before the wait looked at it.
    std::bitset<256> arrivedCodes;
    // The payload of the first frame of each arrived code, read together with its code.
    std::array<QByteArray, 256> arrivedPayloads;
};
