#pragma once
// Everything that asks or tells the person at the keyboard goes through this interface, so tests can
// record what was shown and answer from a script.

#include <QString>

class QPrinter;

// The button of a yes/no question that Enter answers with.
enum class Preselected { Yes, No };

struct FileDialogRequest {
    QString filter;         // "Plik konfiguracji MX-4 (*.ncf)" style
    QString defaultSuffix;  // without the dot
    QString directory;
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
    // The printer set-up dialog; false when cancelled.
    virtual bool printerSetup(QPrinter& printer) = 0;
};
