#pragma once
// A small file system that fills up: a tmpfs of the given size, mounted for the holder's lifetime (needs
// root; `why` says what went wrong otherwise).

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

struct SmallDisk {
    QTemporaryDir dir;
    bool mounted = false;
    QString why;
    explicit SmallDisk(const QString& size = QStringLiteral("16k")) {
        if (!dir.isValid()) {
            why = "no temporary folder";
            return;
        }
        QProcess mount;
        mount.start("mount", {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", dir.path()});
        if (!mount.waitForFinished(5000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0) {
            why = "cannot mount a " + size + " tmpfs (needs root): " + QString::fromLocal8Bit(mount.readAllStandardError());
            return;
        }
        mounted = true;
    }
    ~SmallDisk() {
        if (mounted) QProcess::execute("umount", {dir.path()});
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};
