#include "sim/Recorder.h"

#include "link/Frame.h"

namespace {
constexpr quint8 kLogin = 1;
constexpr quint8 kLogout = 2;
constexpr quint8 kNewPassword = 3;
constexpr quint8 kRegisterEnd = 90;
constexpr quint8 kRegisterRecord = 91;
constexpr quint8 kRegisterStart = 93;
constexpr quint8 kClock = 94;
constexpr quint8 kRegisterStop = 95;
constexpr quint8 kRegisterErase = 96;
constexpr quint8 kBlock = 101;
constexpr quint8 kBlockEnd = 102;
constexpr quint8 kStatus = 253;
constexpr quint8 kCounterReset = 254;
constexpr quint8 kRestart = 255;
constexpr char kAck = '!';
constexpr qint64 kNsPerMs = 1000000;

QByteArray le16(int value) {
    QByteArray b;
    b.append(char(value & 0xFF));
    b.append(char((value >> 8) & 0xFF));
    return b;
}
}  // namespace

Recorder::Recorder(QObject* parent)
    : QObject(parent), items_(SimItems::defaults()), driftRng_(4800) {
    clockRunning_.start();
    driftTimer_.setInterval(1000);
    connect(&driftTimer_, &QTimer::timeout, this, &Recorder::driftOneSecond);
}

void Recorder::setFaults(const SimFaults& faults) {
    faults_ = faults;
    Q_EMIT outputReady();
}

void Recorder::setLiveDrift(bool on, quint32 seed) {
    if (!on) {
        driftTimer_.stop();
        return;
    }
    driftRng_.seed(seed);
    driftTimer_.start();
}

QByteArray Recorder::item(int number) const {
    return number >= 1 && number <= SimItems::kCount ? items_.at(number - 1) : QByteArray();
}

void Recorder::setItem(int number, const QByteArray& bytes) {
    if (number >= 1 && number <= SimItems::kCount) items_[number - 1] = bytes;
}

void Recorder::setRecords(const QVector<QByteArray>& records) {
    register_ = records.size() > kMaxRecords ? records.mid(records.size() - kMaxRecords) : records;
}

void Recorder::appendRecord(const QByteArray& record) {
    register_.append(record);
    if (register_.size() > kMaxRecords) register_.removeFirst();
}

void Recorder::fillRegister(int count, quint32 seed, const QDateTime& start, bool withUnlisted) {
    setRecords(MakeRegister(qMin(count, int(kMaxRecords)), seed, start, withUnlisted));
}

QDateTime Recorder::clockNow() const {
    if (!clockBase_.isValid()) return QDateTime::currentDateTime();
    return clockBase_.addMSecs(clockRunning_.elapsed());
}

void Recorder::powerCycle() {
    boot_.active = false;
    loggedIn_ = false;
    rx_.clear();
    outbox_.clear();
    stream_ = Stream();
}

QVector<quint8> Recorder::receivedCodes() const {
    QVector<quint8> codes;
    codes.reserve(log_.size());
    for (const ReceivedFrame& f : log_) codes.append(f.code);
    return codes;
}

// ---- Receiving

void Recorder::receive(const QByteArray& bytes, qint64 atNs) {
    for (char byte : bytes) receiveByte(byte, atNs);
}

void Recorder::receiveByte(char byte, qint64 atNs) {
    if (rx_.isEmpty() && byte != kCommandStart) return;  // noise between frames
    rx_.append(byte);
    if (rx_.size() < 3) return;
    const int length = quint8(rx_.at(2));
    if (length > kMaxCommandPayload) {
        resync(atNs);
        return;
    }
    if (rx_.size() < length + 4) return;
    if (FrameChecksum(rx_.constData(), length + 3) != quint8(rx_.at(length + 3))) {
        ++checksumErrors_;
        resync(atNs);
        return;
    }
    const quint8 code = quint8(rx_.at(1));
    const QByteArray payload = rx_.mid(3, length);
    rx_.clear();
    handleFrame(code, payload, atNs);
}

// The "N" was not the start of a good frame: look for the next start among the bytes after it.
void Recorder::resync(qint64 atNs) {
    const QByteArray rest = rx_.mid(1);
    rx_.clear();
    for (char byte : rest) receiveByte(byte, atNs);
}

bool Recorder::muted(quint8 code) {
    if (faults_.silent || faults_.silentAfterFrames == 0) return true;
    if (faults_.silentAfterFrames > 0) --faults_.silentAfterFrames;
    if (SimFaults::use(faults_.silentNextFrames)) return true;
    return faults_.silentCodes.contains(code);
}

void Recorder::handleFrame(quint8 code, const QByteArray& payload, qint64 atNs) {
    log_.append({code, payload, atNs});
    Q_EMIT frameReceived(code, payload);
    if (muted(code)) return;
    if (boot_.active) {
        const bool windowOver = !boot_.blockSeen && bootloaderWindowMs_ > 0 &&
                                atNs - boot_.enteredAtNs > qint64(bootloaderWindowMs_) * kNsPerMs;
        if (!windowOver) {
            handleBootloader(code, payload, atNs);
            return;
        }
        startFirmware();
    }
    handleCommand(code, payload, atNs);
}

bool Recorder::payloadAccepted(quint8 code, const QByteArray& payload) const {
    if (!strictPayloads_) return true;
    if (SimItems::isReadCode(code)) return payload == "T";
    switch (code) {
    case kLogout: return payload == "W";
    case kRegisterStart: return payload == "h";
    case kClock: return payload.size() == 6;
    case kRegisterStop:
    case kRegisterErase: return payload == "x";
    case kBlockEnd: return payload == "K";
    case kStatus:
    case kCounterReset: return payload == "G";
    case kRestart: return payload == "B";
    default: return true;
    }
}

void Recorder::handleCommand(quint8 code, const QByteArray& payload, qint64 atNs) {
    if (code == kBlock || code == kBlockEnd) return;  // only the bootloader takes these
    if (!payloadAccepted(code, payload)) return;
    if (requireLogin_ && !loggedIn_ && code > kLogin) return;

    if (SimItems::isReadCode(code)) {
        const QByteArray value = itemForCode(code);
        answer(code, faults_.cutReplyTo.contains(code) ? value.left(faults_.cutReplyTo.value(code)) : value, atNs);
        return;
    }
    if (SimItems::isWriteCode(code)) {
        // A worn memory cell: the write is acknowledged but the item keeps what it held.
        if (!faults_.forgetWritesTo.contains(SimItems::itemForCode(code))) setItemForCode(code, payload);
        answer(code, QByteArray(), atNs);
        return;
    }
    switch (code) {
    case kLogin: {
        const bool match = payload == password_;
        QByteArray reply;
        switch (faults_.login) {
        case SimFaults::Login::Check:
            loggedIn_ = match;
            reply = QByteArray(1, match ? 'T' : 'N') + version_;
            break;
        case SimFaults::Login::Wrong:
            loggedIn_ = false;
            reply = QByteArray(1, 'N') + version_;
            break;
        case SimFaults::Login::Empty:
            loggedIn_ = false;
            break;
        case SimFaults::Login::VerdictOnly:
            loggedIn_ = match;
            reply = QByteArray(1, match ? 'T' : 'N');
            break;
        }
        answer(code, reply, atNs);
        break;
    }
    case kLogout:
        loggedIn_ = false;
        answer(code, QByteArray(), atNs);
        break;
    case kNewPassword:
        password_ = payload;
        answer(code, QByteArray(), atNs);
        break;
    case kRegisterStart: {
        const int size = faults_.headerSizeOverride >= 0 ? faults_.headerSizeOverride : register_.size() * 8;
        answer(code, le16(size), atNs);
        stream_ = Stream();
        stream_.active = true;
        stream_.records = register_;
        stream_.readyAtNs = answerTime(atNs);
        break;
    }
    case kRegisterStop:
        if (stream_.active) {
            if (!stream_.stopping) {
                stream_.stopping = true;
                stream_.recordsLeft = recordsAfterStop_;
            }
        } else {
            answer(code, QByteArray(), atNs);
        }
        break;
    case kRegisterErase:
        register_.clear();
        answer(code, QByteArray(), atNs);
        break;
    case kClock: {
        clockPayload_ = payload;
        if (payload.size() >= 6) {
            const auto at = [&](int i) { return int(quint8(payload.at(i))); };
            clockBase_ = QDateTime(QDate(2000 + at(0), at(1), at(2)), QTime(at(3), at(4), at(5)));
        } else {
            clockBase_ = QDateTime();
        }
        clockRunning_.restart();
        answer(code, QByteArray(), atNs);
        break;
    }
    case kStatus:
        answer(code, live_.toPayload(), atNs);
        break;
    case kCounterReset:
        live_.smsToday = 0;
        live_.voiceToday = 0;
        break;
    case kRestart:
        // The firmware restarts into the bootloader, which waits a while for a firmware block.
        powerCycle();
        boot_ = Boot();
        boot_.active = true;
        boot_.enteredAtNs = atNs;
        break;
    default:
        break;  // the preamble and unknown codes get no answer
    }
}

void Recorder::handleBootloader(quint8 code, const QByteArray& payload, qint64 atNs) {
    if (code == kBlock) {
        handleBlock(payload, atNs);
    } else if (code == kBlockEnd && (!strictPayloads_ || payload == "K")) {
        ++firmwareUpdates_;
        startFirmware();
        Q_EMIT firmwareReceived(boot_.image);
    }
    // Everything else is lost on the bootloader.
}

void Recorder::handleBlock(const QByteArray& payload, qint64 atNs) {
    if (payload.size() != kBlockPayload) return;
    boot_.blockSeen = true;
    const int number = quint8(payload.at(0));
    const int expected = boot_.blocks == 0 ? 0 : (boot_.lastNumber + 1) & 0xFF;
    if (boot_.blocks > 0 && number == boot_.lastNumber) {
        // A resent block (its acknowledgement got lost): stored already.
    } else if (number == expected) {
        boot_.image.append(payload.mid(1));
        ++boot_.blocks;
        boot_.lastNumber = number;
    } else {
        ++boot_.sequenceErrors;
        return;
    }

    bool drop = SimFaults::use(faults_.dropNextAcks);
    if (!drop) {
        auto it = faults_.dropAckOfBlock.find(number);
        if (it != faults_.dropAckOfBlock.end() && SimFaults::use(it.value())) {
            drop = true;
            if (it.value() == 0) faults_.dropAckOfBlock.erase(it);
        }
    }
    if (drop) return;

    QByteArray ack(1, kAck);
    if (SimFaults::use(faults_.glueNextAcks)) ack = faults_.ackGlueFirst ? faults_.ackGlue + ack : ack + faults_.ackGlue;
    const qint64 ready = answerTime(atNs);
    if (faults_.babbleBytes > 0) {
        queueJunk(faults_.babbleBytes, ready);
        faults_.babbleBytes = 0;
    }
    SimOutput out;
    out.kind = SimOutput::Kind::Ack;
    out.bytes = ack;
    out.readyAtNs = ready;
    outbox_.enqueue(out);
    Q_EMIT outputReady();
}

void Recorder::startFirmware() {
    boot_.active = false;
    loggedIn_ = false;
}

// ---- Sending

SimOutput Recorder::makeReply(quint8 code, const QByteArray& payload, qint64 readyAtNs) {
    SimOutput out;
    out.kind = SimOutput::Kind::Reply;
    out.code = code;
    out.readyAtNs = readyAtNs;
    out.bytes = BuildReplyFrame(code, payload);
    if (SimFaults::use(faults_.corruptNextReplies) || faults_.corruptCodes.contains(code)) {
        char& checksum = out.bytes[out.bytes.size() - 1];
        checksum = char(~quint8(checksum));
    }
    return out;
}

void Recorder::answer(quint8 command, const QByteArray& payload, qint64 atNs) {
    const qint64 ready = answerTime(atNs);
    if (faults_.babbleBytes > 0) {
        queueJunk(faults_.babbleBytes, ready);
        faults_.babbleBytes = 0;
    }
    outbox_.enqueue(makeReply(faults_.replyCodeFor.value(command, command), payload, ready));
    Q_EMIT outputReady();
}

void Recorder::queueJunk(int count, qint64 readyAtNs) {
    if (count <= 0) return;
    SimOutput out;
    out.kind = SimOutput::Kind::Junk;
    out.readyAtNs = readyAtNs;
    out.bytes.resize(count);
    for (char& byte : out.bytes) {
        byte = char(driftRng_.bounded(256));
        if (byte == kReplyStart && !faults_.babbleWithStartBytes) byte = char(0x6F);
    }
    breakChanceFrames(out.bytes);
    outbox_.enqueue(out);
}

// Random bytes can happen to form a valid reply frame; junk must not, so spoil the checksum of any.
void Recorder::breakChanceFrames(QByteArray& junk) {
    for (int round = 0; round < 100; ++round) {
        bool spoiled = false;
        for (int i = junk.indexOf(kReplyStart); i >= 0; i = junk.indexOf(kReplyStart, i + 1)) {
            if (i + 2 >= junk.size()) break;
            const int length = quint8(junk.at(i + 2));
            const int end = i + 3 + length;
            if (length > kMaxReplyPayload || end >= junk.size()) continue;
            if (FrameChecksum(junk.constData() + i, end - i) != quint8(junk.at(end))) continue;
            junk[end] = char(junk.at(end) ^ 0x01);
            spoiled = true;
        }
        if (!spoiled) return;
    }
}

void Recorder::babble(int count) {
    queueJunk(count, 0);
    Q_EMIT outputReady();
}

bool Recorder::hasOutput() const { return !faults_.silent && (!outbox_.isEmpty() || stream_.active); }

qint64 Recorder::nextOutputReadyAt() const {
    return !outbox_.isEmpty() ? outbox_.head().readyAtNs : stream_.readyAtNs;
}

SimOutput Recorder::takeOutput(qint64 atNs) {
    if (faults_.silent) return SimOutput();
    if (!outbox_.isEmpty()) return outbox_.dequeue();
    if (stream_.active) return nextStreamOutput(atNs);
    return SimOutput();
}

// One record per output, so a stop request can come in between.
SimOutput Recorder::nextStreamOutput(qint64 atNs) {
    if (stream_.stopping && stream_.recordsLeft == 0) {
        stream_ = Stream();
        return makeReply(faults_.replyCodeFor.value(kRegisterStop, kRegisterStop), QByteArray(), atNs);
    }
    if (stream_.next == faults_.stopUnaskedAfter && stream_.next < stream_.records.size()) {
        // The recorder gives up on its own, as if its memory could not be read further.
        stream_ = Stream();
        return makeReply(faults_.replyCodeFor.value(kRegisterStop, kRegisterStop), QByteArray(), atNs);
    }
    if (stream_.next < stream_.records.size()) {
        if (stream_.stopping) --stream_.recordsLeft;
        const int index = stream_.next++;
        SimOutput out = makeReply(kRegisterRecord, stream_.records.at(index), atNs);
        if (faults_.corruptRecords.contains(index)) out.bytes[out.bytes.size() - 1] = char(~quint8(out.bytes.back()));
        return out;
    }
    stream_ = Stream();
    return makeReply(kRegisterEnd, QByteArray(), atNs);
}

void Recorder::lineDropped() {
    loggedIn_ = false;
    rx_.clear();
    outbox_.clear();
    stream_ = Stream();
}

// ---- Live drift

void Recorder::driftOneSecond() {
    ++driftTicks_;
    const auto chance = [this](int percent) { return driftRng_.bounded(100) < percent; };
    const auto step = [](int value, int delta, int low, int high) { return qBound(low, value + delta, high); };

    // Temperature: a slow walk with a trend that changes now and then.
    if (chance(5)) temperatureTrend_ = driftRng_.bounded(3) - 1;
    if (chance(30)) live_.temperatureRaw = quint16(step(live_.temperatureRaw, temperatureTrend_, 250, 340));
    if (chance(10)) live_.temperatureRaw = quint16(step(live_.temperatureRaw, chance(50) ? 1 : -1, 250, 340));
    const QByteArray t = item(SimItems::kTemperatureItem);
    if (t.size() >= 2) {
        const int tenths = TenthsForRaw(live_.temperatureRaw);
        const int low = (int(quint8(t.at(0))) - 128) * 10;
        const int high = (int(quint8(t.at(1))) - 128) * 10;
        live_.temperatureState = tenths > high ? 2 : tenths < low ? 3 : 1;
    }

    live_.supplyRaw = quint16(263 + driftRng_.bounded(5));
    if (chance(20)) live_.batteryRaw = quint16(step(live_.batteryRaw, chance(50) ? 1 : -1, 690, 712));

    // The modem: now and then it loses the network and logs in again.
    if (modemRecoverTicks_ > 0) {
        --modemRecoverTicks_;
        live_.modemState = modemRecoverTicks_ > 1 ? 11 : modemRecoverTicks_ == 1 ? 17 : 20;
        if (modemRecoverTicks_ == 0) live_.rssi = 15;
    } else if (chance(1)) {
        modemRecoverTicks_ = 5;
        live_.modemState = 11;
        live_.rssi = 99;
    } else if (chance(30)) {
        live_.rssi = quint8(step(live_.rssi, chance(50) ? 1 : -1, 10, 28));
    }

    // Inputs: a change is an event, which the recorder reports by SMS and sometimes by a call.
    if (live_.eventsWaiting > 0) --live_.eventsWaiting;
    if (chance(3)) {
        live_.inputs ^= quint8(1u << driftRng_.bounded(5));
        live_.eventsWaiting = quint8(qMin(63, live_.eventsWaiting + 1));
        const QByteArray options = item(SimItems::kOptionsItem);
        const int smsLimit = options.size() > 1 ? quint8(options.at(1)) : 255;
        const int voiceLimit = options.size() > 2 ? quint8(options.at(2)) : 255;
        if (live_.smsToday < smsLimit) ++live_.smsToday;
        if (chance(25) && live_.voiceToday < voiceLimit) ++live_.voiceToday;
    }

    if (driftTicks_ % 60 == 0)
        appendRecord(SimEventRecord::at(clockNow(), SimEventRecord::PeriodicTemperature, live_.temperatureRaw));
}
