#pragma once
// The three kinds of control the configuration area is made of.
//
// ConfigEdit limits what typing and pasting may add to its typing limit, but shows whole any text the
// program sets (a text read from the recorder or a file may be longer than typing allows).
// ConfigCombo keeps its selected entry itself: the entry the person chose, or the entry the typed text
// names, or none (-1); a programmatic change fires nothing.
// SpinButton is an up/down pair of small arrow buttons.

#include "config/FieldRules.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

class QToolButton;

class ConfigEdit : public QLineEdit {
    Q_OBJECT
public:
    // `set` filters typed characters; `typingLimit` is the most characters typing or pasting leaves.
    ConfigEdit(QWidget* parent, const QString& name, CharSet set, int typingLimit);

    CharSet charSet() const { return set_; }
    int typingLimit() const { return limit_; }
    // Inserts the clipboard's text in place of the selection, cut to what fits.
    void pasteLimited(QClipboard::Mode mode = QClipboard::Clipboard);
    // Makes the field wide enough for `chars` characters of its set in its current font.
    void setDisplayChars(int chars);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // How many characters may still be added once the selection is gone.
    int room() const;
    QString fitting(const QString& text) const;

    CharSet set_;
    int limit_;
    int chars_ = 0;
};

class ConfigCombo : public QComboBox {
    Q_OBJECT
public:
    // Shows `startText` with `startIndex` selected (-1: none, even when the text names an entry).
    ConfigCombo(QWidget* parent, const QString& name, const QStringList& entries, int startIndex,
                const QString& startText);

    int selectedIndex() const { return selected_; }
    // Selects an entry (its text shown) or none (-1 or any other value: an empty text); fires nothing.
    // Setting the selection it already has changes nothing, not even the text.
    void setSelectedIndex(int index);

    void showPopup() override;
    void hidePopup() override;

Q_SIGNALS:
    // The person changed the text or chose another entry.
    void userChanged();
    // The list closed; runs after the choice made in it has been taken.
    void closedUp();

private:
    void textChangedByPerson(const QString& text);
    void entryActivated(int index);

    int selected_ = -1;
    bool programmatic_ = false;
    bool popupOpen_ = false;
};

class SpinButton : public QWidget {
    Q_OBJECT
public:
    // `what` names the value for screen readers: "Próg MAX" gives "Próg MAX w górę" and "Próg MAX w dół".
    SpinButton(QWidget* parent, const QString& name, const QString& what);

    QToolButton* up = nullptr;    // <name>Up
    QToolButton* down = nullptr;  // <name>Down

Q_SIGNALS:
    void upClick();
    void downClick();
};
