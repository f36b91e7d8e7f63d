// The register archive at the size of years of downloads: an archive of 100,000 records built from 25
// downloads, then
//  1. adding a full register (4,095 records, the first 1,000 already in the archive) in one import:
//     the median and the worst of several runs, each on a fresh copy of the archive (target: under 250 ms);
//  2. the same register once more (every record already there);
//  3. opening the file (the schema and quick_check) and verify of the whole chain (target: under 2 s);
//  4. the file's size a record (target: under 64 bytes).
// Usage: bench_archive [runs, default 5]

#include "bench/Timings.h"
#include "archive/RegisterArchive.h"
#include "events/EventRecords.h"
#include "sim/RecorderData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

ArchiveSource download(const QVector<EventRecord>& r) {
    return ArchiveSource::download(r, int(r.size()), int(r.size()), ArchiveSource::Ending::Complete,
                                   QStringLiteral("MX-4 v 1.2"));
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    constexpr int kArchived = 100000, kRegister = 4095, kAlreadyThere = 1000, kDownloads = 25;

    QVector<EventRecord> all;
    for (const QByteArray& p :
         MakeRegister(kArchived + kRegister - kAlreadyThere, 31, QDateTime(QDate(2022, 1, 1), QTime(0, 0)), true))
        all.append(*DecodeEventData(p));
    const QVector<EventRecord> newest = all.mid(kArchived - kAlreadyThere, kRegister);

    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("base.mx4a"));
    QElapsedTimer t;
    t.start();
    {
        const auto archive = RegisterArchive::create(base, QStringLiteral("Chłodnia"));
        for (int i = 0; i < kDownloads; ++i)
            archive->add(download(all.mid(i * (kArchived / kDownloads), kArchived / kDownloads)));
    }
    const double built = ms(t.nsecsElapsed());
    const qint64 baseSize = QFileInfo(base).size();

    std::vector<double> adds, repeats, opens, verifies;
    ArchiveImport result, repeated;
    ArchiveCheck check;
    qint64 size = 0;
    for (int i = 0; i < runs; ++i) {
        const QString path = dir.filePath(QStringLiteral("run%1.mx4a").arg(i));
        QFile::copy(base, path);
        t.restart();
        auto archive = RegisterArchive::open(path);
        opens.push_back(ms(t.nsecsElapsed()));
        t.restart();
        result = archive->add(download(newest));
        adds.push_back(ms(t.nsecsElapsed()));
        t.restart();
        repeated = archive->add(download(newest));
        repeats.push_back(ms(t.nsecsElapsed()));
        t.restart();
        check = archive->verify();
        verifies.push_back(ms(t.nsecsElapsed()));
        archive.reset();
        size = QFileInfo(path).size();
        QFile::remove(path);
    }

    std::printf("register archive: %d records from %d downloads (built in %.0f ms), %d runs on fresh copies\n\n",
                kArchived, kDownloads, built, runs);
    std::printf("1. a full register added (%d records, %d of them already there): median %.1f ms, worst %.1f ms "
                "(target: under 250 ms)\n   %s\n",
                kRegister, kAlreadyThere, median(adds), worst(adds), qPrintable(ImportSummaryText(result)));
    std::printf("2. the same register again: median %.1f ms, worst %.1f ms\n   %s\n", median(repeats), worst(repeats),
                qPrintable(ImportSummaryText(repeated)));
    std::printf(
        "3. open (schema, quick_check): median %.1f ms\n   verify: median %.1f ms, worst %.1f ms (target: under "
        "2000 ms)\n   %s\n",
        median(opens), median(verifies), worst(verifies), qPrintable(check.text));
    std::printf("4. file: %lld bytes for %d records = %.1f bytes a record (target: under 64); after the register "
                "%lld bytes for %d = %.1f\n",
                qlonglong(baseSize), kArchived, double(baseSize) / kArchived, qlonglong(size), kArchived + result.added,
                double(size) / (kArchived + result.added));
    return check.consistent ? 0 : 1;
}
