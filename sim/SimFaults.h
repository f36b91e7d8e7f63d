#pragma once
// Fault knobs of the simulated recorder and of the wire that carries its bytes to the PC.
//
// A plain struct: change any field at any time through Recorder::faults() (takes effect with the next
// frame or output) or Recorder::setFaults() (also wakes the wire at once). Fields named "next..." are
// counters that count down as they are used; kAlways in such a counter makes the fault permanent.

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QtGlobal>

struct SimFaults {
    static constexpr int kAlways = -1;

    // Uses one unit of a "next..." counter; true when the fault applies this time.
    static bool use(int& counter) {
        if (counter == kAlways) return true;
        if (counter > 0) {
            --counter;
            return true;
        }
        return false;
    }

    // ---- Silence. A silenced frame is logged but not acted on, as if the recorder had missed it.
    bool silent = false;          // a dead recorder: no frame acted on and nothing sent, streams included
    int silentAfterFrames = -1;   // -1: off; otherwise act on this many more frames, then fall silent
    int silentNextFrames = 0;     // ignore the next N frames, then answer again
    QSet<quint8> silentCodes;     // commands the recorder does not know, e.g. {80}

    // ---- What the answers hold
    int corruptNextReplies = 0;          // wrong checksum on the next N reply frames
    QSet<quint8> corruptCodes;           // wrong checksum on every reply frame with these reply codes
    QHash<quint8, quint8> replyCodeFor;  // answer command code X with reply code Y instead of X
    int babbleBytes = 0;                 // junk without a valid frame, sent before the next answer (once)
    bool babbleWithStartBytes = false;   // let the junk hold "n" bytes, which make the PC start a frame
    enum class Login {
        Check,        // "T" + version for the right password, "N" + version otherwise
        Wrong,        // "N" + version whatever the password
        Empty,        // an empty payload
        VerdictOnly,  // "T" alone (no version character) for the right password, "N" alone otherwise
    };
    Login login = Login::Check;
    QSet<int> forgetWritesTo;     // items (1..41) whose writes are acknowledged but not stored
    int headerSizeOverride = -1;  // -1: records x 8; else this 16-bit size goes into the register header
    QSet<int> corruptRecords;     // wrong checksum on these records of every register transfer (0: the first)
    int stopUnaskedAfter = -1;    // -1: off; else a transfer ends with reply 95 after this many records, unasked
    QHash<quint8, int> cutReplyTo;  // item read code -> its answer's payload cut to this many bytes

    // ---- Firmware acknowledgements ("!")
    int dropNextAcks = 0;               // the next N blocks are stored but not acknowledged
    QHash<int, int> dropAckOfBlock;     // block number -> how many of its acknowledgements to drop
    int glueNextAcks = 0;               // the next N acknowledgements share their chunk with ackGlue
    QByteArray ackGlue = QByteArray(1, '\0');
    bool ackGlueFirst = false;          // false: "!" + ackGlue; true: ackGlue + "!"

    // ---- The way back to the PC (applied by the wire)
    int chunkSize = 0;        // 0: each output in one piece; else pieces of at most this many bytes
    int glueNextOutputs = 0;  // the next N outputs each share one chunk with the output that follows
    bool paced = false;       // 4800 baud, 8N1 (10 bits a byte), in both directions
    int replyDelayMs = 0;     // the recorder's think time before each answer
};
