#include "config/ConfigWidgets.h"

#include "link/ErrorHook.h"
#include "link/Text.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

// ---------------------------------------------------------------- ConfigEdit

ConfigEdit::ConfigEdit(QWidget* parent, const QString& name, CharSet set, int typingLimit)
    : QLineEdit(parent), set_(set), limit_(typingLimit) {
    setObjectName(name);
    // Dropped text would bypass the typing limit; the fields take text from the keyboard and the
    // clipboard only.
    setAcceptDrops(false);
    installKeyFilter(this, set);
}

void ConfigEdit::setDisplayChars(int chars) {
    chars_ = chars;
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateGeometry();
}

QSize ConfigEdit::sizeHint() const {
    QSize size = QLineEdit::sizeHint();
    if (chars_ > 0) {
        // The base hint is 17 'x' wide plus the frame; keep the frame, change the characters. Numbers
        // need room for their digits; a command or a short SMS text (up to 15) for its widest letters;
        // a 30-character text for that many characters of ordinary Polish text, capitals and punctuation
        // among them. The cursor and the glyphs' bearings take a few pixels more.
        const QFontMetrics fm = fontMetrics();
        const bool numeric = set_ == CharSet::Digits || set_ == CharSet::Telephone;
        int text = 0;
        if (numeric) {
            text = chars_ * fm.horizontalAdvance(QLatin1Char('0'));
        } else if (chars_ <= 15) {
            text = chars_ * fm.horizontalAdvance(QLatin1Char('W'));
        } else {
            static const QString ordinary =
                QStringLiteral("Pchnąć w tę łódź jeża lub ośm skrzyń fig! Zażółć gęślą jaźń. ALARM 230V: Wejście 5");
            text = int(std::ceil(chars_ * 1.05 * fm.horizontalAdvance(ordinary) / ordinary.size()));
        }
        const int slack = 2 + qMax(0, -fm.minLeftBearing()) + qMax(0, -fm.minRightBearing());
        size.setWidth(size.width() - 17 * fm.horizontalAdvance(QLatin1Char('x')) + text + slack);
    }
    return size;
}

QSize ConfigEdit::minimumSizeHint() const {
    return chars_ > 0 ? sizeHint() : QLineEdit::minimumSizeHint();
}

int ConfigEdit::room() const {
    const int kept = int(text().size() - selectedText().size());
    return qMax(0, limit_ - kept);
}

QString ConfigEdit::fitting(const QString& text) const {
    const int n = room();
    if (text.size() <= n) return text;
    QString cut = text.left(n);
    if (!cut.isEmpty() && cut.back().isHighSurrogate()) cut.chop(1);
    return cut;
}

void ConfigEdit::pasteLimited(QClipboard::Mode mode) {
    if (isReadOnly()) return;
    // What Windows-1250 cannot carry could reach neither the recorder nor a file: it is not pasted.
    QString clip;
    for (QChar c : QGuiApplication::clipboard()->text(mode))
        if (isCp1250(c)) clip += c;
    if (clip.isEmpty() && !hasSelectedText()) return;
    insert(fitting(clip));
}

void ConfigEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteLimited();
        event->accept();
        return;
    }
    const QString typed = event->text();
    const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool typing = !isReadOnly() && !typed.isEmpty() && typed.at(0).isPrint() &&
                        (mods == Qt::NoModifier || mods == (Qt::ControlModifier | Qt::AltModifier));
    if (typing && typed.size() > room()) {
        event->accept();  // the field is full
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ConfigEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty() || isReadOnly()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QString kept;
    for (QChar c : commit)
        if (charAllowed(set_, c)) kept += c;
    kept = fitting(kept);
    if (kept == commit) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void ConfigEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    // The standard menu's paste entry: named "edit-paste" by later Qt versions, found by the text
    // QLineEdit gives it (in the user's language) before that.
    const QString pasteText = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction* action : menu->actions()) {
        const bool isPaste = action->objectName() == QLatin1String("edit-paste") ||
                             action->text().section(QLatin1Char('\t'), 0, 0) == pasteText;
        if (!isPaste) continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] { guarded([this] { pasteLimited(); }); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ConfigEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly() && rect().contains(event->position().toPoint())) {
            deselect();
            setCursorPosition(cursorPositionAt(event->position().toPoint()));
            pasteLimited(QClipboard::Selection);
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------- ConfigCombo

ConfigCombo::ConfigCombo(QWidget* parent, const QString& name, const QStringList& entries, int startIndex,
                         const QString& startText)
    : QComboBox(parent) {
    setObjectName(name);
    setEditable(true);
    // Typed text never becomes a new entry.
    setInsertPolicy(QComboBox::NoInsert);
    addItems(entries);
    // The combo's own current entry is kept on the one the shown text names: when the two differ, Qt
    // selects the named entry as the focus leaves, as if the person had chosen it.
    const int named = findText(startText, Qt::MatchFixedString);
    QComboBox::setCurrentIndex(named);
    lineEdit()->setText(startText);
    selected_ = startIndex >= 0 && startIndex < count() ? startIndex : -1;
    lineEdit()->setAcceptDrops(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& t) {
        guarded([&] { textChangedByPerson(t); });
    });
    connect(this, &QComboBox::activated, this, [this](int i) { guarded([&] { entryActivated(i); }); });
}

void ConfigCombo::setSelectedIndex(int index) {
    const bool valid = index >= 0 && index < count();
    // The selection it already has: the text stays as the person left it.
    if ((valid ? index : -1) == selected_) return;
    programmatic_ = true;
    QComboBox::setCurrentIndex(valid ? index : -1);
    lineEdit()->setText(valid ? itemText(index) : QString());
    programmatic_ = false;
    selected_ = valid ? index : -1;
}

void ConfigCombo::textChangedByPerson(const QString& text) {
    if (programmatic_) return;
    selected_ = findText(text, Qt::MatchFixedString);
    emit userChanged();
}

void ConfigCombo::entryActivated(int index) {
    if (programmatic_) return;
    const int chosen = index >= 0 && index < count() ? index : -1;
    if (chosen == selected_) return;
    selected_ = chosen;
    emit userChanged();
}

void ConfigCombo::showPopup() {
    popupOpen_ = true;
    QComboBox::showPopup();
}

void ConfigCombo::hidePopup() {
    const bool wasOpen = popupOpen_;
    popupOpen_ = false;
    QComboBox::hidePopup();
    // The entry chosen in the list is taken right after the list hides.
    if (wasOpen) QMetaObject::invokeMethod(this, [this] { guarded([this] { emit closedUp(); }); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- SpinButton

SpinButton::SpinButton(QWidget* parent, const QString& name, const QString& what) : QWidget(parent) {
    setObjectName(name);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto make = [&](Qt::ArrowType arrow, const QString& suffix, const QString& direction) {
        auto* b = new QToolButton(this);
        b->setObjectName(name + suffix);
        b->setArrowType(arrow);
        b->setAccessibleName(what + QLatin1Char(' ') + direction);
        b->setToolTip(b->accessibleName());
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        column->addWidget(b);
        return b;
    };
    up = make(Qt::UpArrow, QStringLiteral("Up"), QStringLiteral("w górę"));
    down = make(Qt::DownArrow, QStringLiteral("Down"), QStringLiteral("w dół"));
    connect(up, &QToolButton::clicked, this, &SpinButton::upClick);
    connect(down, &QToolButton::clicked, this, &SpinButton::downClick);
}
