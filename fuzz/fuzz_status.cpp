// Status replies and the login reply's version byte: the decoders must hold for any bytes, read none past
// the payload, and give what the recorder's rules give (worked out here from the bytes, independently).

#include "link/StatusDecode.h"

#include <cstdint>
#include <cstdlib>

namespace {
QString tenths(int sign, int m) { return QStringLiteral("%1%2,%3").arg(QLatin1Char(sign < 0 ? '-' : '+')).arg(m / 10).arg(m % 10); }

int word(const uint8_t* d, int at) { return d[at] | (d[at + 1] << 8); }

void checkStatus(const uint8_t* d, size_t size, const QByteArray& payload) {
    const std::optional<LiveStatus> s = DecodeStatus(payload);
    if (size < 13) {
        if (s) abort();
        return;
    }
    if (!s) abort();
    for (int i = 0; i < 5; ++i)
        if (s->inputs[i] != bool(d[0] & (1 << i))) abort();
    for (int i = 0; i < 3; ++i)
        if (s->outputs[i] != bool(d[0] & (0x20 << i))) abort();
    if (s->outputs[3] != bool(d[1] & 0x40) || s->fFlag != bool(d[1] & 0x80)) abort();
    if (s->eventsWaiting != (d[1] & 0x3F)) abort();
    if (s->modemState != d[2]) abort();
    // 99 is no reading; 21 and 22 pass to the gauge, whose top is 20, and show as full like all above.
    const int level = d[3] == 99 ? 0 : d[3] > 20 ? 20 : d[3];
    if (s->signalGauge != level) abort();
    if (s->smsUsed != d[4] || s->voiceUsed != d[5]) abort();
    const int supply = word(d, 6) * 1885 / 10000;
    const int battery = word(d, 8) * 1885 / 10000;
    if (s->supplyText != tenths(1, supply) + QLatin1Char('V')) abort();
    if (s->batteryText != tenths(1, battery) + QLatin1Char('V')) abort();
    const int t = word(d, 10) * 2500 / 1024;
    if (s->temperatureText != (t >= 500 ? tenths(1, t - 500) : tenths(-1, 500 - t))) abort();
    if (s->temperatureState != (d[12] & 3)) abort();
    if (s->supplyOk != bool(d[12] & 4) || s->batteryOk != bool(d[12] & 8)) abort();
    // The modem text is one of the table's, and empty exactly for the values it does not list.
    const int m = d[2];
    const bool listed = m <= 20 || m == 100;
    if (ModemStateText(m).isEmpty() == listed) abort();
}

void checkVersion(const uint8_t* d, size_t size, const QByteArray& payload) {
    const std::optional<QString> v = VersionText(payload);
    if (size < 2 || d[1] < 0x30) {
        if (v) abort();
        return;
    }
    const int c = d[1] - 0x30;
    if (!v || *v != QStringLiteral("MX-4 v %1.%2").arg(c / 10 + 1).arg(c % 10)) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The payload is the fuzzer's own buffer, so AddressSanitizer sees every byte read beyond it.
    const QByteArray payload = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    checkStatus(data, size, payload);
    checkVersion(data, size, payload);
    return 0;
}
