// mx4sim: the simulated recorder on a pseudo-terminal, for the configurator, mx4ctl or any serial
// terminal. Prints the device to open on its first line, then plays the recorder until SIGTERM or
// SIGINT, however often the device is opened and closed. A development aid, Unix only.

#include "sim/PtyRecorder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    const ssize_t n = ::write(signalPipe[1], &byte, 1);
    (void)n;
}

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "mx4sim: %s\n", qPrintable(message));
    std::exit(2);
}

int number(const QCommandLineParser& p, const QString& option, int low, int high) {
    bool ok = false;
    const int value = p.value(option).toInt(&ok, 0);
    if (!ok || value < low || value > high)
        fail(QStringLiteral("--%1 takes a number from %2 to %3").arg(option).arg(low).arg(high));
    return value;
}

// A "next N" counter: a number, or "always".
int counter(const QCommandLineParser& p, const QString& option) {
    if (p.value(option) == QLatin1String("always")) return SimFaults::kAlways;
    return number(p, option, 0, 1 << 30);
}

QSet<quint8> codes(const QCommandLineParser& p, const QString& option) {
    QSet<quint8> out;
    for (const QString& s : p.value(option).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int code = s.trimmed().toInt(&ok, 0);
        if (!ok || code < 0 || code > 255) fail(QStringLiteral("--%1: %2 is not a code 0..255").arg(option, s));
        out.insert(quint8(code));
    }
    return out;
}

// "A=B,C=D" as pairs of numbers.
QList<QPair<int, int>> pairs(const QCommandLineParser& p, const QString& option, int defaultRight) {
    QList<QPair<int, int>> out;
    for (const QString& s : p.value(option).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList two = s.split(QLatin1Char('='));
        bool ok1 = false, ok2 = two.size() == 1;
        const int a = two.at(0).trimmed().toInt(&ok1, 0);
        const int b = two.size() > 1 ? two.at(1).trimmed().toInt(&ok2, 0) : defaultRight;
        if (!ok1 || !ok2 || two.size() > 2 || a < 0 || a > 255 || b < 0)
            fail(QStringLiteral("--%1: cannot read %2").arg(option, s));
        out.append({a, b});
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mx4sim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "The simulated MX-4 recorder on a pseudo-terminal. Prints the device to open (e.g. /dev/pts/7) on\n"
        "its first line and answers on it until stopped with SIGTERM or Ctrl-C. The line runs at 4800 baud,\n"
        "one byte per write, unless --no-pacing is given. Counters marked N take a number or \"always\"."));
    p.addHelpOption();
    const auto add = [&](const QString& name, const QString& help, const QString& value = QString(),
                         const QString& def = QString()) {
        QCommandLineOption o(name, help, value, def);
        p.addOption(o);
    };
    add(QStringLiteral("no-pacing"), QStringLiteral("Hand bytes over as soon as they are there, each answer in one write."));
    add(QStringLiteral("password"), QStringLiteral("The recorder's password (default 1234)."), QStringLiteral("text"), QStringLiteral("1234"));
    add(QStringLiteral("firmware"), QStringLiteral("The version character after the login verdict (default 2: \"MX-4 v 1.2\")."), QStringLiteral("char"), QStringLiteral("2"));
    add(QStringLiteral("require-login"), QStringLiteral("Answer only the preamble and the login before a login."));
    add(QStringLiteral("lenient"), QStringLiteral("Take commands whose fixed payload differs."));
    add(QStringLiteral("register"), QStringLiteral("Fill the event register with this many records (0..4095)."), QStringLiteral("records"));
    add(QStringLiteral("register-seed"), QStringLiteral("Seed of the register's records (default 1)."), QStringLiteral("seed"), QStringLiteral("1"));
    add(QStringLiteral("unlisted"), QStringLiteral("Let a few records carry codes that get no line."));
    add(QStringLiteral("drift"), QStringLiteral("Let the live state move once a second."));
    add(QStringLiteral("records-after-stop"), QStringLiteral("Records still sent after a stop request."), QStringLiteral("records"), QStringLiteral("0"));
    add(QStringLiteral("boot-window"), QStringLiteral("How long the bootloader waits for a block after a restart (default 2600, 0: for ever)."), QStringLiteral("ms"), QStringLiteral("2600"));
    add(QStringLiteral("silent"), QStringLiteral("A dead recorder: nothing acted on, nothing sent."));
    add(QStringLiteral("silent-after"), QStringLiteral("Act on this many frames, then fall silent."), QStringLiteral("frames"));
    add(QStringLiteral("silent-next"), QStringLiteral("Ignore the next N frames, then answer again."), QStringLiteral("N"));
    add(QStringLiteral("silent-codes"), QStringLiteral("Commands the recorder does not know, e.g. 80,253."), QStringLiteral("codes"));
    add(QStringLiteral("corrupt-next"), QStringLiteral("Wrong checksum on the next N reply frames."), QStringLiteral("N"));
    add(QStringLiteral("corrupt-codes"), QStringLiteral("Wrong checksum on every reply with these codes."), QStringLiteral("codes"));
    add(QStringLiteral("reply-code"), QStringLiteral("Answer command X with reply code Y: X=Y,..."), QStringLiteral("pairs"));
    add(QStringLiteral("garbage"), QStringLiteral("Junk bytes (never a valid frame) before the next answer, once."), QStringLiteral("bytes"));
    add(QStringLiteral("garbage-with-starts"), QStringLiteral("Let the junk hold the reply start byte."));
    add(QStringLiteral("login"), QStringLiteral("The login verdict: check (default), wrong, empty, verdict-only."), QStringLiteral("mode"), QStringLiteral("check"));
    add(QStringLiteral("header-size"), QStringLiteral("The size put in the register header instead of records x 8."), QStringLiteral("bytes"));
    add(QStringLiteral("corrupt-records"), QStringLiteral("Wrong checksum on these records of each register transfer (0: the first), e.g. 3,7."), QStringLiteral("indexes"));
    add(QStringLiteral("stop-unasked-after"), QStringLiteral("End each register transfer with reply 95 after this many records."), QStringLiteral("records"));
    add(QStringLiteral("cut-reply"), QStringLiteral("Cut the answer to item read code X to Y bytes: X=Y,..."), QStringLiteral("pairs"));
    add(QStringLiteral("drop-acks"), QStringLiteral("Store the next N firmware blocks without acknowledging them."), QStringLiteral("N"));
    add(QStringLiteral("drop-ack-of"), QStringLiteral("Blocks whose acknowledgement is dropped: B[=times],..."), QStringLiteral("blocks"));
    add(QStringLiteral("glue-acks"), QStringLiteral("The next N acknowledgements share their write with --ack-glue."), QStringLiteral("N"));
    add(QStringLiteral("ack-glue"), QStringLiteral("Bytes glued to an acknowledgement, in hex (default 00)."), QStringLiteral("hex"), QStringLiteral("00"));
    add(QStringLiteral("ack-glue-first"), QStringLiteral("The glue goes before the \"!\", not after it."));
    add(QStringLiteral("reply-delay"), QStringLiteral("Think time before each answer."), QStringLiteral("ms"), QStringLiteral("0"));
    add(QStringLiteral("verbose"), QStringLiteral("Log every frame received to standard error."));
    p.process(app);
    if (!p.positionalArguments().isEmpty()) fail(QStringLiteral("unexpected argument %1").arg(p.positionalArguments().first()));

    PtyRecorder far;
    if (!far.ok()) fail(far.error());
    Recorder& r = far.recorder();

    r.setPassword(p.value(QStringLiteral("password")).toLatin1());
    const QString firmware = p.value(QStringLiteral("firmware"));
    if (firmware.size() != 1) fail(QStringLiteral("--firmware takes one character"));
    r.setFirmwareVersion(firmware.at(0).toLatin1());
    r.setRequireLogin(p.isSet(QStringLiteral("require-login")));
    r.setStrictPayloads(!p.isSet(QStringLiteral("lenient")));
    r.setRecordsAfterStop(number(p, QStringLiteral("records-after-stop"), 0, Recorder::kMaxRecords));
    r.setBootloaderWindowMs(number(p, QStringLiteral("boot-window"), 0, 1 << 30));
    if (p.isSet(QStringLiteral("register")))
        r.fillRegister(number(p, QStringLiteral("register"), 0, Recorder::kMaxRecords),
                       quint32(number(p, QStringLiteral("register-seed"), 0, 1 << 30)),
                       QDateTime(QDate(2024, 3, 1), QTime(8, 0)), p.isSet(QStringLiteral("unlisted")));
    if (p.isSet(QStringLiteral("drift"))) r.setLiveDrift(true);

    SimFaults f;
    f.paced = !p.isSet(QStringLiteral("no-pacing"));
    f.silent = p.isSet(QStringLiteral("silent"));
    if (p.isSet(QStringLiteral("silent-after"))) f.silentAfterFrames = number(p, QStringLiteral("silent-after"), 0, 1 << 30);
    if (p.isSet(QStringLiteral("silent-next"))) f.silentNextFrames = counter(p, QStringLiteral("silent-next"));
    f.silentCodes = codes(p, QStringLiteral("silent-codes"));
    if (p.isSet(QStringLiteral("corrupt-next"))) f.corruptNextReplies = counter(p, QStringLiteral("corrupt-next"));
    f.corruptCodes = codes(p, QStringLiteral("corrupt-codes"));
    for (const auto& [from, to] : pairs(p, QStringLiteral("reply-code"), -1)) {
        if (to > 255) fail(QStringLiteral("--reply-code: a code is 0..255"));
        f.replyCodeFor.insert(quint8(from), quint8(to));
    }
    if (p.isSet(QStringLiteral("garbage"))) f.babbleBytes = number(p, QStringLiteral("garbage"), 1, 100000);
    f.babbleWithStartBytes = p.isSet(QStringLiteral("garbage-with-starts"));
    const QString login = p.value(QStringLiteral("login"));
    if (login == QLatin1String("check")) f.login = SimFaults::Login::Check;
    else if (login == QLatin1String("wrong")) f.login = SimFaults::Login::Wrong;
    else if (login == QLatin1String("empty")) f.login = SimFaults::Login::Empty;
    else if (login == QLatin1String("verdict-only")) f.login = SimFaults::Login::VerdictOnly;
    else fail(QStringLiteral("--login is one of check, wrong, empty, verdict-only"));
    if (p.isSet(QStringLiteral("header-size"))) f.headerSizeOverride = number(p, QStringLiteral("header-size"), 0, 0xFFFF);
    for (const QString& s : p.value(QStringLiteral("corrupt-records")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int index = s.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= Recorder::kMaxRecords) fail(QStringLiteral("--corrupt-records: cannot read %1").arg(s));
        f.corruptRecords.insert(index);
    }
    if (p.isSet(QStringLiteral("stop-unasked-after")))
        f.stopUnaskedAfter = number(p, QStringLiteral("stop-unasked-after"), 0, Recorder::kMaxRecords);
    for (const auto& [code, bytes] : pairs(p, QStringLiteral("cut-reply"), -1)) {
        if (bytes < 0) fail(QStringLiteral("--cut-reply takes CODE=BYTES"));
        f.cutReplyTo.insert(quint8(code), bytes);
    }
    if (p.isSet(QStringLiteral("drop-acks"))) f.dropNextAcks = counter(p, QStringLiteral("drop-acks"));
    for (const auto& [block, times] : pairs(p, QStringLiteral("drop-ack-of"), 1)) f.dropAckOfBlock.insert(block, times);
    if (p.isSet(QStringLiteral("glue-acks"))) f.glueNextAcks = counter(p, QStringLiteral("glue-acks"));
    f.ackGlue = QByteArray::fromHex(p.value(QStringLiteral("ack-glue")).toLatin1());
    f.ackGlueFirst = p.isSet(QStringLiteral("ack-glue-first"));
    f.replyDelayMs = number(p, QStringLiteral("reply-delay"), 0, 1 << 20);
    r.setFaults(f);

    const bool verbose = p.isSet(QStringLiteral("verbose"));
    // The first "closed" is this program letting go of its own slave descriptor.
    bool opened = false;
    QObject::connect(&far, &PtyRecorder::lineUpChanged, [&opened](bool up) {
        if (!up && !opened) return;
        opened = true;
        std::fprintf(stderr, "mx4sim: %s\n", up ? "device opened" : "device closed");
    });
    int frames = 0;
    QObject::connect(&r, &Recorder::frameReceived, [&, verbose](quint8 code, const QByteArray& payload) {
        // Counted here; the recorder's own log would grow for as long as the program runs.
        ++frames;
        r.clearLog();
        if (verbose) std::fprintf(stderr, "mx4sim: frame %u [%s]\n", unsigned(code), payload.toHex(' ').constData());
    });
    QObject::connect(&r, &Recorder::firmwareReceived, [&r](const QByteArray& image) {
        std::fprintf(stderr, "mx4sim: firmware received, %lld bytes in %d blocks\n", qlonglong(image.size()),
                     r.firmwareBlocks());
    });

    if (::pipe(signalPipe) != 0) fail(QStringLiteral("pipe failed"));
    ::fcntl(signalPipe[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(signalPipe[1], F_SETFD, FD_CLOEXEC);
    QSocketNotifier stop(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("%s\n", qPrintable(far.path()));
    std::fflush(stdout);
    far.closeSlave();
    const int rc = app.exec();
    std::fprintf(stderr, "mx4sim: stopped; %d frames received, %lld bytes in, %lld bytes out\n",
                 frames, far.bytesFromProgram(), far.bytesToProgram());
    return rc;
}
