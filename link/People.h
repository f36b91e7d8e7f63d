#pragma once
// Everything that asks or tells the person at the keyboard goes through this interface, so tests can
// record what was shown and answer from a script.

#include <QString>

class QPrinter;

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
    // Empty when cancelled.
    virtual QString openFileName(const FileDialogRequest& request) = 0;
    virtual QString saveFileName(const FileDialogRequest& request) = 0;
    // The printer set-up dialog; false when cancelled.
    virtual bool printerSetup(QPrinter& printer) = 0;
};
