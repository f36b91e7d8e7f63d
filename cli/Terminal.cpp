#include "cli/Terminal.h"

#include <cstdio>
#include <iostream>
#include <string>

#ifdef Q_OS_WIN
#include <io.h>
#define MX4_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define MX4_ISATTY(fd) isatty(fd)
#endif

namespace Terminal {
bool stderrIsTerminal() { return MX4_ISATTY(2) != 0; }
bool stdinIsTerminal() { return MX4_ISATTY(0) != 0; }

void out(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void outRaw(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void err(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QString readLine() {
    std::string line;
    if (!std::getline(std::cin, line)) return QString();
    return QString::fromLocal8Bit(line.c_str()).trimmed();
}
}  // namespace Terminal

Progress::Progress(const QString& label) : label_(label), enabled_(Terminal::stderrIsTerminal()) {}

void Progress::set(int value, int maximum) {
    if (!enabled_) return;
    const int percent = maximum > 0 ? qBound(0, int(qint64(value) * 100 / maximum), 100) : 0;
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    const QString bar = QStringLiteral("\r%1 [%2%3] %4%")
                            .arg(label_, QString(filled, QLatin1Char('#')), QString(kWidth - filled, QLatin1Char(' ')))
                            .arg(percent, 3);
    const QByteArray bytes = bar.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
    shown_ = true;
}

void Progress::finish() {
    if (!shown_) return;
    shown_ = false;
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
