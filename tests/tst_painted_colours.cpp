// The colours as they reach the screen: each way the window paints a state (the state panels, the value
// fields and configuration edits, the check boxes, the version label's text, the event list's lines) is
// checked on the pixels of the grabbed widget, not on what the painting code remembers.

#include "config/ConfigArea.h"
#include "config/ConfigWidgets.h"
#include "config/Palette.h"
#include "events/EventDecode.h"
#include "events/EventList.h"
#include "events/EventRegister.h"
#include "support/FakePort.h"
#include "support/WindowRig.h"

#include <QCheckBox>
#include <QHash>
#include <QLabel>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QtTest>

namespace {
// The colour most of the widget's pixels have.
QColor dominant(QWidget* w) {
    const QImage image = w->grab().toImage();
    QHash<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++count[image.pixel(x, y) | 0xFF000000u];
    QRgb best = 0;
    int most = -1;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    return QColor(best);
}

// The darkest pixel: where the text's ink covers a pixel fully.
QColor ink(QWidget* w) {
    const QImage image = w->grab().toImage();
    QColor darkest(255, 255, 255);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.lightness() < darkest.lightness()) darkest = c;
        }
    return darkest.toRgb();
}

bool near(const QColor& a, const QColor& b, int tolerance) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// Pixels of a band of rows that are of `colour` (within a small tolerance for the glyph edges).
int pixelsOf(const QImage& image, int top, int bottom, const QColor& colour) {
    int n = 0;
    for (int y = qMax(0, top); y < qMin(image.height(), bottom); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(image.pixelColor(x, y), colour, 24)) ++n;
    return n;
}

QString rgb(const QColor& c) { return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue()); }

struct ShownRig : WindowRig<FakePort> {
    ShownRig() {
        w().show();
        if (!QTest::qWaitForWindowExposed(&w())) qWarning("window not exposed");
    }
};
}  // namespace

#define COMPARE_COLOUR(actual, expected)                                                                   \
    QVERIFY2((actual) == (expected), qPrintable(QStringLiteral("%1 is %2, expected %3")                    \
                                                    .arg(QStringLiteral(#actual), rgb(actual), rgb(expected))))

class PaintedColoursTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A status reply: inputs and outputs on their panels, the value fields in the state's colour.
    void panelsAndValueFields() {
        ShownRig rig;
        TMain& w = rig.w();
        // IN1 set, OUT1 set; temperature state 2 (red), 5 V supply fine, battery not.
        QByteArray status(13, '\0');
        status[0] = char(0x01 | 0x20);
        status[12] = char(0x02 | 0x04);
        w.DispatchReply(253, status);
        COMPARE_COLOUR(dominant(w.PanelIN1), Colour::Green);
        COMPARE_COLOUR(dominant(w.PanelIN2), Colour::Red);
        COMPARE_COLOUR(dominant(w.PanelPK), Colour::Red);
        COMPARE_COLOUR(dominant(w.PanelOut2), Colour::Green);
        COMPARE_COLOUR(dominant(w.Temp1), Colour::Red);
        COMPARE_COLOUR(dominant(w.Uzs), Colour::Green);
        COMPARE_COLOUR(dominant(w.Ubat), Colour::Red);
        status[12] = char(0x03);
        w.DispatchReply(253, status);
        COMPARE_COLOUR(dominant(w.Temp1), Colour::SkyBlue);
    }

    // The configuration edits: their synchronised colours at start, red once a person types.
    void configurationEdits() {
        ShownRig rig;
        ConfigArea& a = *rig.w().Config;
        rig.w().ButtonKonfig->click();
        COMPARE_COLOUR(dominant(a.edit(TextField::Edit_Tel1)), Colour::LightYellow);
        COMPARE_COLOUR(dominant(a.edit(TextField::Edit_T1n)), Colour::SkyBlue);
        COMPARE_COLOUR(dominant(a.edit(TextField::Edit_IN1N)), Colour::LightGreen);
        COMPARE_COLOUR(dominant(a.edit(TextField::Edit_IN1A)), Colour::LightOrange);
        QLineEdit* tel = a.edit(TextField::Edit_Tel1);
        tel->setFocus();
        QTest::keyClick(tel, Qt::Key_5);
        COMPARE_COLOUR(dominant(tel), Colour::Red);
    }

    // A notification box a person ticks turns red around its mark.
    void checkBoxes() {
        ShownRig rig;
        ConfigArea& a = *rig.w().Config;
        rig.w().ButtonKonfig->click();
        QCheckBox* box = a.matrixBox(RowIN1, Sms, 1);
        QCheckBox* other = a.matrixBox(RowIN1, Sms, 2);
        const QColor untouched = dominant(other);
        QVERIFY2(untouched != Colour::Red, qPrintable(rgb(untouched)));
        box->click();
        COMPARE_COLOUR(dominant(box), Colour::Red);
        COMPARE_COLOUR(dominant(other), untouched);
    }

    // The version label: grey until the login reply names a version, then black.
    void versionLabel() {
        ShownRig rig;
        TMain& w = rig.w();
        COMPARE_COLOUR(ink(w.TextWersja), Colour::Grey);
        w.DispatchReply(1, "T2");
        QCOMPARE(w.TextWersja->text(), QString("MX-4 v 1.2"));
        COMPARE_COLOUR(ink(w.TextWersja), QColor(0, 0, 0));
    }

    // Each line of the event list is written in its own colour.
    void eventLines() {
        ShownRig rig;
        TMain& w = rig.w();
        EventList& list = w.eventRegister->list();
        const QList<QColor> colours{EventColour::Red, EventColour::Green, EventColour::Blue, EventColour::Black};
        for (const QColor& c : colours) list.append(QStringLiteral(" 2024-01-02  03:04:05 WWWWWWWWWW"), c);
        list.followEnd();
        QTextEdit* box = w.trm;
        box->verticalScrollBar()->setValue(0);
        const QImage image = box->viewport()->grab().toImage();
        const int lineHeight = box->fontMetrics().lineSpacing();
        const int top = int(box->document()->documentMargin());
        for (int i = 0; i < colours.size(); ++i) {
            const int y0 = top + i * lineHeight, y1 = y0 + lineHeight;
            for (const QColor& c : colours) {
                const int n = pixelsOf(image, y0, y1, c);
                if (c == colours[i])
                    QVERIFY2(n >= 20, qPrintable(QStringLiteral("line %1: %2 pixels of %3").arg(i).arg(n).arg(rgb(c))));
                else
                    QVERIFY2(n == 0, qPrintable(QStringLiteral("line %1: %2 pixels of %3").arg(i).arg(n).arg(rgb(c))));
            }
        }
    }
};

QTEST_MAIN(PaintedColoursTest)
#include "tst_painted_colours.moc"
