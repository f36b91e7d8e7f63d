// The window on a laptop screen: with the configuration area shown it fits 1366 x 768 and stays on the
// screen, it can be enlarged and the event list takes the extra room, and every configuration field
// shows its longest value whole, measured with the field's own font. The offscreen platform is given a
// screen of 1366 x 768.

#include "config/ConfigArea.h"
#include "config/ConfigWidgets.h"
#include "support/FakePort.h"
#include "support/WindowRig.h"

#include <QGroupBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

namespace {
// Texts of the kind technicians give the recorder, each 30 characters long.
const QStringList kSmsTexts = {
    QStringLiteral("Zalanie pomieszczenia piwnicy!"), QStringLiteral("Brak zasilania 230V w budynku."),
    QStringLiteral("Wysoka temperatura w chłodni 2"), QStringLiteral("Powrót zasilania sieciowego OK"),
    QStringLiteral("Włamanie! Otwarte drzwi wejść."), QStringLiteral("Czujnik dymu: ALARM w kuchni 1"),
    QStringLiteral("Temperatura wróciła do normy. "), QStringLiteral("Bateria rozładowana - wymień!!"),
};

// The longest values a field of this kind can hold.
QStringList longestValues(const ConfigEdit* e) {
    const int n = e->typingLimit();
    switch (e->charSet()) {
    case CharSet::Digits: return {QString(n, QLatin1Char('0')), QString(n, QLatin1Char('8'))};
    case CharSet::Telephone: return {QLatin1Char('+') + QString(n - 1, QLatin1Char('0'))};
    default: {
        QStringList out;
        for (const QString& s : kSmsTexts) out << s.left(n);
        return out;
    }
    }
}

// Whether the field shows `text` whole: with the cursor at the end the text has not scrolled, so the
// end lies where the text's own width puts it. Painting (grab) is what scrolls a line edit.
QRect cursorAt(QLineEdit* e) { return e->inputMethodQuery(Qt::ImCursorRectangle).toRect(); }
bool showsWhole(QLineEdit* e, const QString& text) {
    e->setText(text);
    e->home(false);
    e->grab();
    const int start = cursorAt(e).center().x();
    e->end(false);
    e->grab();
    const int end = cursorAt(e).center().x();
    if (qEnvironmentVariableIsSet("MX4_LAYOUT_DEBUG"))
        qDebug() << e->objectName() << text << start << end << e->fontMetrics().horizontalAdvance(text) << cursorAt(e)
                 << e->width();
    return end - start >= e->fontMetrics().horizontalAdvance(text) && cursorAt(e).right() <= e->width();
}
}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fitsALaptopScreenAndGrows() {
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Started centred on the desktop.
        const QRect desktop = w.screen()->availableGeometry();
        QVERIFY2(qAbs(w.frameGeometry().center().x() - desktop.center().x()) <= 2 &&
                     qAbs(w.frameGeometry().center().y() - desktop.center().y()) <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(w.frameGeometry().center().x()).arg(w.frameGeometry().center().y())));
        w.ButtonKonfig->click();
        QTRY_VERIFY(w.Config->BoxCzujnik->isVisible());
        QTest::qWait(20);
        // 1366 x 768 less a 40-pixel panel and a 30-pixel title bar.
        QVERIFY2(w.frameGeometry().width() <= 1366, qPrintable(QString::number(w.frameGeometry().width())));
        QVERIFY2(w.frameGeometry().height() <= 768 - 40 - 30, qPrintable(QString::number(w.frameGeometry().height())));

        // Enlarged: the event list takes the extra room; the rest keeps its size.
        const QSize list = w.trm->size(), area = w.Config->size(), top = w.PanelKomunikacji->size();
        QVERIFY(w.maximumWidth() > w.width() && w.maximumHeight() > w.height());
        w.resize(w.size() + QSize(240, 160));
        QTRY_COMPARE(w.trm->size(), list + QSize(240, 160));
        QCOMPARE(w.Config->size(), area);
        QCOMPARE(w.PanelKomunikacji->size(), top);
        // Back to the narrow form: the window shrinks to what it shows.
        w.ButtonKonfig->click();
        QTRY_VERIFY(w.width() < 700);
    }

    // "Konfiguracja" widens the window from its left edge: shown, the window moves left and up only as
    // far as it must to lie within the screen; hidden again, it stays where it is.
    void widenedWindowStaysOnTheScreen_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("left");  // must move left
        QTest::addColumn<bool>("up");    // must move up
        QTest::newRow("centred") << "centred" << true << false;
        QTest::newRow("in the bottom right corner, partly below") << "bottom right" << true << true;
        QTest::newRow("in the top left corner") << "top left" << false << false;
    }
    void widenedWindowStaysOnTheScreen() {
        QFETCH(QString, start);
        QFETCH(bool, left);
        QFETCH(bool, up);
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect screen = w.screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1366, 768));
        if (start == "bottom right")
            w.move(w.pos() + screen.bottomRight() + QPoint(0, 40) - w.frameGeometry().bottomRight());
        if (start == "top left") w.move(w.pos() + screen.topLeft() - w.frameGeometry().topLeft());
        const QRect narrow = w.frameGeometry();

        w.ButtonKonfig->click();
        QTRY_VERIFY(w.frameGeometry().width() > narrow.width() + 400);
        const QRect wide = w.frameGeometry();
        QVERIFY(screen.contains(wide));
        // Moved only where it must, and then just to the edge.
        QCOMPARE(left ? wide.right() : wide.left(), left ? screen.right() : narrow.left());
        QCOMPARE(up ? wide.bottom() : wide.top(), up ? screen.bottom() : narrow.top());

        w.ButtonKonfig->click();
        QTRY_COMPARE(w.frameGeometry().width(), narrow.width());
        QCOMPARE(w.frameGeometry().topLeft(), wide.topLeft());
    }

    void everyFieldShowsItsLongestValue() {
        WindowRig<FakePort> rig;
        TMain& w = rig.w();
        w.show();
        w.ButtonKonfig->click();
        QTRY_VERIFY(w.Config->BoxCzujnik->isVisible());
        QTest::qWait(20);
        QStringList cut;
        int fields = 0;
        for (ConfigEdit* e : w.Config->findChildren<ConfigEdit*>()) {
            if (e->typingLimit() == 0) continue;
            ++fields;
            const bool wasReadOnly = e->isReadOnly();
            for (const QString& v : longestValues(e))
                if (!showsWhole(e, v)) cut << e->objectName() + ": " + v;
            e->setReadOnly(wasReadOnly);
        }
        // The temperature displays' longest renderings.
        for (auto [e, v] : {std::pair<QLineEdit*, QString>{w.Config->Edit_T1Max, "-128"}, {w.Config->Edit_T1Min, "+127"},
                            {w.Config->Edit_T1Korekta, "-31,75"}, {w.Config->TempZapisz, "255"}})
            if (!showsWhole(e, v)) cut << e->objectName() + ": " + v;
        QCOMPARE(fields, kTextFieldCount);
        for (const QString& s : kSmsTexts) QCOMPARE(s.size(), 30);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    }
};

int main(int argc, char** argv) {
    // A laptop's screen for the offscreen platform, whatever platform the run asked for.
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768,
                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 2;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toUtf8());
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    WindowLayoutTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window_layout.moc"
