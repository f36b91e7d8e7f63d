#pragma once
// The person at mx4ctl: messages go to standard error, questions are answered by --yes or, on a
// terminal, by typing; without either the answer is no.

#include "link/People.h"

#include <QStringList>

class CtlPeople : public People {
public:
    explicit CtlPeople(bool yes) : yes_(yes) {}
    void beep() override {}
    void error(const QString& text) override;
    void information(const QString& text) override;
    void warning(const QString& text) override;
    void plain(const QString& text) override;
    bool askYesNo(const QString& text) override;
    // There are no dialogs: a command names its files on the command line.
    QString openFileName(const FileDialogRequest&) override { return QString(); }
    QString saveFileName(const FileDialogRequest&) override { return QString(); }
    bool printerSetup(QPrinter&) override { return false; }

    // Whether an error has been told (the command has failed even when its operation says nothing).
    bool errorShown() const { return errors_ > 0; }
    // The questions that went unanswered because nobody could answer them.
    bool refusedUnasked() const { return refusedUnasked_; }

private:
    bool yes_;
    int errors_ = 0;
    bool refusedUnasked_ = false;
};
