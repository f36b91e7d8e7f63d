// The receive path as the recorder's bytes take it: the port's notification, the exchange engine's
// assembler and its dispatch, into the values a window keeps, with a host that has no widgets. The
// stream is cut into chunks the input chooses; every frame must reach the host once, in order, and
// leave the values as the decoders alone would.

#include "config/ConfigItems.h"
#include "events/EventDecode.h"
#include "link/Link.h"
#include "link/ReplyAssembler.h"
#include "link/StatusDecode.h"
#include "tests/support/FakePort.h"
#include "tests/support/ScriptedPeople.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

namespace {
// What the window's dispatch does with each reply, kept as plain values.
struct Values {
    ConfigValues config = ConfigValues::defaults();
    std::optional<LiveStatus> status;
    QString version;
    QStringList events;
    int header = 0, end = 0, stopped = 0;

    void apply(quint8 code, const QByteArray& p) {
        if (code == 1) {
            if (const auto v = VersionText(p)) version = *v;
        } else if (code >= 4 && code <= 84 && code % 2 == 0) {
            DecodeItem(code, p, config);
        } else if (code == 91) {
            if (const auto line = DecodeEventRecord(p)) events << line->text;
        } else if (code == 93) {
            if (DecodeRegisterHeader(p, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)))) ++header;
        } else if (code == 90) {
            ++end;
        } else if (code == 95) {
            ++stopped;
        } else if (code == 253) {
            if (const auto s = DecodeStatus(p)) status = s;
        }
    }
    bool operator==(const Values& o) const {
        const bool sameStatus = status.has_value() == o.status.has_value() &&
                                (!status || (status->temperatureText == o.status->temperatureText &&
                                             status->supplyText == o.status->supplyText &&
                                             status->modemState == o.status->modemState));
        return config == o.config && sameStatus && version == o.version && events == o.events &&
               header == o.header && end == o.end && stopped == o.stopped;
    }
};

class HeadlessHost : public LinkHost {
public:
    Values values;
    QVector<ReplyFrame> seen;
    void DispatchReply(quint8 code, const QByteArray& payload) override {
        seen.append({code, payload});
        values.apply(code, payload);
    }
    void DropConnection() override {}
    void EnterLoggedOut() override {}
};

QCoreApplication* app = nullptr;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    app = new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 4096) return 0;
    FakePort port;
    ScriptedPeople people;
    Link link(&port, &people, 5);
    HeadlessHost host;
    link.setHost(&host);
    port.OpenPort();

    // The same chunks through the assembler alone: what the host must be handed.
    AssemblerState reference;
    QVector<ReplyFrame> expected;
    const size_t chunk = (data[0] % 32) + 1;
    for (size_t pos = 1; pos < size; pos += chunk) {
        const QByteArray bytes(reinterpret_cast<const char*>(data + pos), int(std::min(chunk, size - pos)));
        port.deliver(bytes);
        // Every other chunk lets the queued dispatch run; the rest pile up first.
        if ((pos / chunk) % 2 == 0) QCoreApplication::processEvents();
        reference.rxBuffer.append(bytes);
        expected += AssembleAll(reference);
    }
    QCoreApplication::processEvents();

    if (!(host.seen == expected)) abort();
    if (link.st.assembler.rxBuffer != reference.rxBuffer) abort();
    if (!expected.isEmpty() && link.st.replyCode != expected.back().code) abort();
    Values direct;
    for (const ReplyFrame& f : expected) direct.apply(f.code, f.payload);
    if (!(direct == host.values)) abort();
    return 0;
}
