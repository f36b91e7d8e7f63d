#pragma once
// Everything that asks or tells the person at the keyboard goes through this interface, so tests can
// record what was shown and answer from a script.

#include <QString>
#include <QStringList>

class QPrinter;

// The button of a yes/no question that Enter answers with.
enum class Preselected { Yes, No };

struct FileDialogRequest {
    QString filter;         // "Plik konfiguracji MX-4 (*.ncf)" style
    QString defaultSuffix;  // without the dot
    QString directory;      // a folder, or a file to start on
    // A save dialog: asks before an existing file is chosen. Off where choosing an existing file is
    // choosing it to open, not to replace (an archive chosen or created in one dialog).
    bool confirmOverwrite = true;
};

class People {
public:
    virtual ~People() = default;
    virtual void beep() = 0;
    // Modal boxes with one OK button.
    virtual void error(const QString& text) = 0;
    virtual void information(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual void plain(const QString& text) = 0;
    // Warning box with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // The same box with the button Enter answers with chosen: Preselected::No where a slip of the Enter
    // key must not lose anything. Where this is not overridden, the question is the one above.
    virtual bool askYesNo(const QString& text, Preselected preselected) {
        Q_UNUSED(preselected);
        return askYesNo(text);
    }
    // Empty when cancelled.
    virtual QString openFileName(const FileDialogRequest& request) = 0;
    virtual QString saveFileName(const FileDialogRequest& request) = 0;
    // Several existing files at once; where this is not overridden, the one of openFileName.
    virtual QStringList openFileNames(const FileDialogRequest& request) {
        const QString path = openFileName(request);
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    // A line of text, `text` offered; empty when cancelled. Where this is not overridden (no one to
    // ask), the text offered.
    virtual QString askText(const QString& label, const QString& text) {
        Q_UNUSED(label);
        return text;
    }
    // The printer set-up dialog; false when cancelled.
    virtual bool printerSetup(QPrinter& printer) = 0;
};
