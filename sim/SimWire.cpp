#include "sim/SimWire.h"

#include "link/Errors.h"

#include <QMetaObject>

namespace {
constexpr int kNoSuchDevice = 2;  // the adapter is not there
constexpr int kDeviceBusy = 16;   // another program holds the port
constexpr qint64 kNsPerMs = 1000000;
}  // namespace

QString SimWire::defaultPortName() { return QStringLiteral("MX-4 (symulator)"); }

SimWire::SimWire(Recorder* recorder, QObject* parent) : SerialPort(parent), recorder_(recorder) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SimWire::service);
    connect(recorder_, &Recorder::outputReady, this, [this] {
        if (open_) schedule(nowNs());
    });
}

void SimWire::OpenPort() {
    if (open_) return;
    if (!plugged_) throw PortError(QStringLiteral("Unable to open com port"), kNoSuchDevice);
    if (busy_) throw PortError(QStringLiteral("Unable to open com port"), kDeviceBusy);
    dropLine();
    open_ = true;
    dtr_ = false;
    rts_ = false;
    schedule(nowNs());
}

qint64 SimWire::WriteBytes(const QByteArray& bytes) {
    if (!open_) throw PortError(QStringLiteral("Port Not Open"));
    if (bytes.isEmpty()) return 0;
    const qint64 now = nowNs();
    TxBatch batch;
    batch.bytes = bytes;
    batch.paced = paced();
    batch.startNs = batch.paced ? qMax(now, txFreeNs_) : now;
    if (batch.paced) txFreeNs_ = batch.startNs + wireTimeNs(bytes.size());
    tx_.enqueue(batch);
    schedule(now);
    return bytes.size();
}

QByteArray SimWire::ReadBytes(int n) {
    if (n <= 0) return QByteArray();
    const QByteArray out = received_.left(n);
    received_.remove(0, out.size());
    return out;
}

void SimWire::ClosePort() {
    if (!open_) return;
    open_ = false;
    timer_.stop();
    timerDueNs_ = kNever;
    feedAll();
    dropLine();
    recorder_->lineDropped();
}

void SimWire::unplug() {
    plugged_ = false;
    if (!open_) return;
    open_ = false;
    timer_.stop();
    timerDueNs_ = kNever;
    dropLine();
    recorder_->lineDropped();
    const QString message = QStringLiteral("Port %1 przestał działać (odłączono adapter)").arg(name_);
    QMetaObject::invokeMethod(this, [this, message] { Q_EMIT portLost(message); }, Qt::QueuedConnection);
}

bool SimWire::idle() const { return tx_.isEmpty() && line_.isEmpty() && !recorder_->hasOutput(); }

void SimWire::dropLine() {
    tx_.clear();
    line_.clear();
    received_.clear();
    txFreeNs_ = 0;
    rxFreeNs_ = 0;
}

// ---- Moving bytes

void SimWire::service() {
    timerDueNs_ = kNever;
    if (!open_) return;
    const qint64 now = nowNs();
    runUntil(now);
    if (!open_) return;
    Chunk chunk;
    const bool delivered = takeChunk(now, chunk);
    if (delivered) {
        received_.append(chunk.bytes);
        if (recordChunks_) chunks_.append(chunk);
    }
    schedule(now);
    // Last, so that a handler that runs the event loop or closes the port finds the wire consistent.
    if (delivered) {
        if (open_ && !received_.isEmpty()) Q_EMIT OnRxChar(int(received_.size()));
        Q_EMIT chunkDelivered(chunk.bytes);
    }
}

// Plays the line forward to `now`: bytes reach the recorder and the recorder's outputs go on the line,
// in time order. Nothing here holds a reference across a call into the recorder, whose signals may lead
// back into this wire.
void SimWire::runUntil(qint64 now) {
    if (!paced()) {
        // Everything written so far is there; one output goes on the line once the last has been handed
        // over to the PC.
        feedAll();
        if (open_ && line_.isEmpty() && recorder_->hasOutput() && recorder_->nextOutputReadyAt() <= now)
            putOnLine(recorder_->takeOutput(now), now);
        return;
    }
    while (open_) {
        qint64 txAt = kNever;
        if (!tx_.isEmpty()) {
            const TxBatch& b = tx_.head();
            txAt = byteArrival(b.startNs, b.paced, b.fed);
        }
        qint64 outAt = kNever;
        if (recorder_->hasOutput()) outAt = qMax(recorder_->nextOutputReadyAt(), rxFreeNs_);
        const qint64 next = qMin(txAt, outAt);
        if (next == kNever || next > now) break;
        if (txAt <= outAt) feedOneByte();
        else putOnLine(recorder_->takeOutput(outAt), outAt);
    }
}

void SimWire::feedOneByte() {
    TxBatch& b = tx_.head();
    const char byte = b.bytes.at(b.fed);
    const qint64 at = byteArrival(b.startNs, b.paced, b.fed);
    if (++b.fed == b.bytes.size()) tx_.dequeue();
    recorder_->receive(QByteArray(1, byte), at);
}

void SimWire::feedAll() {
    QQueue<TxBatch> batches;
    batches.swap(tx_);
    for (const TxBatch& b : batches)
        for (int i = b.fed; i < b.bytes.size(); ++i)
            recorder_->receive(QByteArray(1, b.bytes.at(i)), byteArrival(b.startNs, b.paced, i));
}

void SimWire::putOnLine(SimOutput out, qint64 atNs) {
    if (out.kind == SimOutput::Kind::None || out.bytes.isEmpty()) return;
    SimFaults& f = recorder_->faults();
    const bool isPaced = f.paced;
    QByteArray bytes = out.bytes;
    bool atomic = out.atomic();

    // Glue the following output on when it is ready by the time this one has gone out.
    const qint64 endNs = atNs + (isPaced ? wireTimeNs(bytes.size()) : 0);
    if (f.glueNextOutputs != 0 && recorder_->hasOutput() && recorder_->nextOutputReadyAt() <= endNs) {
        SimFaults::use(f.glueNextOutputs);
        bytes += recorder_->takeOutput(endNs).bytes;
        atomic = true;
    }

    if (isPaced) rxFreeNs_ = atNs + wireTimeNs(bytes.size());
    const int piece = f.chunkSize;
    if (!atomic && piece > 0) {
        for (int i = 0; i < bytes.size(); i += piece) {
            Segment s;
            s.bytes = bytes.mid(i, piece);
            s.startNs = byteStart(atNs, isPaced, i);
            s.paced = isPaced;
            s.atomic = true;
            line_.enqueue(s);
        }
        return;
    }
    Segment s;
    s.bytes = bytes;
    s.startNs = atNs;
    s.paced = isPaced;
    // Unpaced, every output is its own chunk; paced, plain outputs run together as they arrive.
    s.atomic = atomic || !isPaced;
    line_.enqueue(s);
}

int SimWire::arrivedCount(const Segment& s, qint64 now) {
    const int n = s.bytes.size();
    if (!s.paced) return s.startNs <= now ? n : 0;
    if (now < s.startNs) return 0;
    qint64 k = (now - s.startNs) * kBaud / (qint64(kBitsPerByte) * 1000000000LL);
    k = qBound<qint64>(0, k, qint64(n));
    while (k < n && byteArrival(s.startNs, true, int(k)) <= now) ++k;
    while (k > 0 && byteArrival(s.startNs, true, int(k - 1)) > now) --k;
    return int(k);
}

// At most one chunk: what has arrived of the plain segments at the head of the line, or one atomic
// segment once all of it has arrived.
bool SimWire::takeChunk(qint64 now, Chunk& chunk) {
    const auto take = [&](const Segment& s, int from, int to) {
        if (chunk.bytes.isEmpty()) chunk.firstStartNs = byteStart(s.startNs, s.paced, from);
        chunk.bytes.append(s.bytes.constData() + from, to - from);
        chunk.lastArrivalNs = byteArrival(s.startNs, s.paced, to - 1);
    };
    while (!line_.isEmpty()) {
        Segment& s = line_.head();
        if (s.atomic) {
            if (!chunk.bytes.isEmpty() || byteArrival(s.startNs, s.paced, s.bytes.size() - 1) > now) break;
            take(s, 0, s.bytes.size());
            line_.dequeue();
            break;
        }
        const int arrived = arrivedCount(s, now);
        if (arrived <= s.delivered) break;
        take(s, s.delivered, arrived);
        s.delivered = arrived;
        if (s.delivered < s.bytes.size()) break;
        line_.dequeue();
    }
    chunk.deliveredNs = now;
    return !chunk.bytes.isEmpty();
}

qint64 SimWire::nextWake(qint64 now) const {
    qint64 wake = kNever;
    if (!tx_.isEmpty()) {
        // The recorder acts on whole frames: wake when the head write has arrived completely.
        const TxBatch& b = tx_.head();
        wake = qMin(wake, byteArrival(b.startNs, b.paced, b.bytes.size() - 1));
    }
    if (recorder_->hasOutput()) {
        if (paced()) wake = qMin(wake, qMax(recorder_->nextOutputReadyAt(), rxFreeNs_));
        else if (line_.isEmpty()) wake = qMin(wake, qMax(recorder_->nextOutputReadyAt(), now));
    }
    if (!line_.isEmpty()) {
        const Segment& s = line_.head();
        const int index = s.atomic ? s.bytes.size() - 1 : s.delivered;
        wake = qMin(wake, byteArrival(s.startNs, s.paced, index));
    }
    return wake;
}

void SimWire::schedule(qint64 now) {
    if (!open_) return;
    const qint64 wake = nextWake(now);
    if (wake == kNever) return;
    if (timer_.isActive() && timerDueNs_ <= wake) return;
    const qint64 ms = wake <= now ? 0 : (wake - now + kNsPerMs - 1) / kNsPerMs;
    timerDueNs_ = wake;
    timer_.start(int(qMin<qint64>(ms, std::numeric_limits<int>::max())));
}
