// The register kept as records: what each record says and the rows written for a spreadsheet.
#include "events/EventRecords.h"
#include "support/RecordBytes.h"

#include <QtTest>

namespace {
QByteArray rec(int year, int month, int day, int hour, int minute, int second, int code, int sample = 0) {
    return EventRecordBytes(year, month, day, hour, minute, second, code, sample);
}

QVector<EventRecord> decodeAll(const QList<QByteArray>& payloads) {
    QVector<EventRecord> out;
    for (const QByteArray& p : payloads) out.append(*DecodeEventData(p));
    return out;
}
}  // namespace

class EventRecordsTest : public QObject {
    Q_OBJECT
private slots:
    void recordsSayWhatTheListShows() {
        const EventRecord sample = *DecodeEventData(rec(2009, 3, 7, 8, 5, 3, 4, 300));
        QCOMPARE(sample.code, 4);
        QCOMPARE(sample.time, QDateTime(QDate(2009, 3, 7), QTime(8, 5, 3)));
        QCOMPARE(sample.temperatureText, QStringLiteral("+23,2"));
        QVERIFY(sample.celsius);
        QCOMPARE(*sample.celsius, 23.2);
        QVERIFY(sample.hasLine);

        const EventRecord cold = *DecodeEventData(rec(2009, 3, 7, 8, 5, 3, 13, 192));
        QCOMPARE(cold.temperatureText, QStringLiteral("-3,2"));
        QCOMPARE(*cold.celsius, -3.2);
        QCOMPARE(KindOfEvent(cold.code), EventKindOf::AlarmLow);

        // No sensor: the list shows 127 whole degrees without a sign; there is no temperature to chart.
        const int noSensor = (127 * 10 + 500 + 1) * 1024 / 2500 + 1;
        const EventRecord missing = *DecodeEventData(rec(2009, 3, 7, 8, 5, 3, 4, noSensor));
        QVERIFY(missing.temperatureText.startsWith(QLatin1String("127,")));
        QVERIFY(!missing.celsius);

        const EventRecord mains = *DecodeEventData(rec(2009, 3, 7, 8, 5, 3, 7, 300));
        QVERIFY(mains.temperatureText.isEmpty());
        QVERIFY(!mains.celsius);
        QCOMPARE(KindOfEvent(7), EventKindOf::Other);

        for (int month : {0, 13}) QVERIFY(!DecodeEventData(rec(2009, month, 7, 8, 5, 3, 4, 300))->time.isValid());
        QVERIFY(!DecodeEventData(rec(2009, 3, 0, 8, 5, 3, 4, 300))->time.isValid());
        QVERIFY(!DecodeEventData(rec(2009, 2, 30, 8, 5, 3, 4, 300))->time.isValid());
        QVERIFY(!DecodeEventData(rec(2009, 3, 7, 24, 0, 0, 4, 300))->time.isValid());

        for (int code : {0, 3, 14, 15}) QVERIFY(!DecodeEventData(rec(2009, 3, 7, 8, 5, 3, code))->hasLine);
        QVERIFY(!DecodeEventData(QByteArray(7, '\0')));
    }

    void eventNamesAreTheListsWords() {
        QCOMPARE(EventName(4), QStringLiteral("Zapis cykliczny temperatury"));
        QCOMPARE(EventName(5), QStringLiteral("Start urządzenia"));
        QCOMPARE(EventName(6), QStringLiteral("Zestawienie łącza GSM"));
        QCOMPARE(EventName(7), QStringLiteral("Brak 230V"));
        QCOMPARE(EventName(8), QStringLiteral("Powrót 230V"));
        QCOMPARE(EventName(9), QStringLiteral("Bateria rozładowana"));
        QCOMPARE(EventName(10), QStringLiteral("Bateria naładowana"));
        QCOMPARE(EventName(11), QStringLiteral("Alarm!, Wysoka temperatura"));
        QCOMPARE(EventName(12), QStringLiteral("Powrót do normy temperatury"));
        QCOMPARE(EventName(13), QStringLiteral("Alarm!, Niska temperatura"));
        QVERIFY(EventName(14).isEmpty());
    }

    // Register order is kept, a clock set back stays where it came, a date that cannot be one is written
    // as the list shows it, records without a line make no row.
    void csvByteForByte() {
        const QVector<EventRecord> records = decodeAll({
            rec(2009, 3, 7, 8, 5, 3, 5),
            rec(2009, 3, 7, 8, 10, 0, 4, 300),
            rec(2009, 3, 7, 8, 11, 0, 0),
            rec(2009, 3, 7, 7, 0, 0, 11, 300),
            rec(2009, 13, 0, 8, 20, 0, 13, 192),
            rec(2009, 3, 7, 8, 30, 9, 7),
            rec(2009, 3, 7, 8, 31, 0, 15),
        });
        const QByteArray expected =
            "\xEF\xBB\xBF"
            "Data;Godzina;Temperatura;Zdarzenie\r\n"
            "2009-03-07;08:05:03;;Start urz\xC4\x85" "dzenia\r\n"
            "2009-03-07;08:10:00;+23,2;Zapis cykliczny temperatury\r\n"
            "2009-03-07;07:00:00;+23,2;Alarm!, Wysoka temperatura\r\n"
            "2009-13-00;08:20:00;-3,2;Alarm!, Niska temperatura\r\n"
            "2009-03-07;08:30:09;;Brak 230V\r\n";
        QCOMPARE(EventsCsv(records), expected);
        QCOMPARE(EventsCsv({}), QByteArray("\xEF\xBB\xBF" "Data;Godzina;Temperatura;Zdarzenie\r\n"));
    }
};

QTEST_APPLESS_MAIN(EventRecordsTest)
#include "tst_event_records.moc"
