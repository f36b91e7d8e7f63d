#pragma once
// Records what the program tells the person and answers its questions from a script.

#include "link/People.h"

#include <QQueue>
#include <QStringList>
#include <functional>

class ScriptedPeople : public People {
public:
    // Everything shown, in order: "beep", "error: …", "information: …", "warning: …", "plain: …",
    // "ask: …" ("ask (Nie): …" when Enter answers No), "open: <filter>", "save: <filter>", "print",
    // "text: <label> [<text offered>]".
    QStringList shown;
    QQueue<bool> yesNoAnswers;      // default Yes when empty
    QQueue<QString> fileAnswers;    // default cancel when empty
    QQueue<bool> printAnswers;      // default cancel when empty
    QQueue<QString> textAnswers;    // default the text offered when empty
    QList<FileDialogRequest> fileRequests;
    // Runs whenever a box is shown, as a modal box would let events run.
    std::function<void(const QString&)> onShow;

    void beep() override { record(QStringLiteral("beep")); }
    void error(const QString& t) override { record(QStringLiteral("error: ") + t); }
    void information(const QString& t) override { record(QStringLiteral("information: ") + t); }
    void warning(const QString& t) override { record(QStringLiteral("warning: ") + t); }
    void plain(const QString& t) override { record(QStringLiteral("plain: ") + t); }
    bool askYesNo(const QString& t) override { return askYesNo(t, Preselected::Yes); }
    bool askYesNo(const QString& t, Preselected preselected) override {
        record((preselected == Preselected::No ? QStringLiteral("ask (Nie): ") : QStringLiteral("ask: ")) + t);
        return yesNoAnswers.isEmpty() ? true : yesNoAnswers.dequeue();
    }
    QString openFileName(const FileDialogRequest& r) override {
        fileRequests.append(r);
        record(QStringLiteral("open: ") + r.filter);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
    QString saveFileName(const FileDialogRequest& r) override {
        fileRequests.append(r);
        record(QStringLiteral("save: ") + r.filter);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
    // Several files: one answer of fileAnswers, the paths separated by "\n".
    QStringList openFileNames(const FileDialogRequest& r) override {
        const QString answer = openFileName(r);
        return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
    }
    QString askText(const QString& label, const QString& text) override {
        record(QStringLiteral("text: %1 [%2]").arg(label, text));
        return textAnswers.isEmpty() ? text : textAnswers.dequeue();
    }
    bool printerSetup(QPrinter&) override {
        record(QStringLiteral("print"));
        return printAnswers.isEmpty() ? false : printAnswers.dequeue();
    }

    // Messages without beeps.
    QStringList messages() const {
        QStringList m;
        for (const QString& s : shown)
            if (s != QLatin1String("beep")) m.append(s);
        return m;
    }
    int count(const QString& entry) const { return int(shown.count(entry)); }
    void clear() { shown.clear(); fileRequests.clear(); }

private:
    void record(const QString& entry) {
        shown.append(entry);
        if (onShow) onShow(entry);
    }
};
