// The window on a laptop screen: with the configuration area shown it fits 1366 x 768, it can be
// enlarged and the event list takes the extra room, and every configuration field shows its longest
// value whole, measured with the field's own font.

#include "config/ConfigArea.h"
#include "config/ConfigWidgets.h"
#include "support/FakePort.h"
#include "support/WindowRig.h"

#include <QGroupBox>
#include <QScreen>
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

QTEST_MAIN(WindowLayoutTest)
#include "tst_window_layout.moc"
