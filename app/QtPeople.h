#pragma once
// Real message boxes, beep, file and printer dialogs.

#include "link/People.h"

class QWidget;

class QtPeople : public People {
public:
    explicit QtPeople(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void beep() override;
    void error(const QString& text) override;
    void information(const QString& text) override;
    void warning(const QString& text) override;
    void plain(const QString& text) override;
    bool askYesNo(const QString& text) override;
    bool askYesNo(const QString& text, Preselected preselected) override;
    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;
    QStringList openFileNames(const FileDialogRequest& request) override;
    QString askText(const QString& label, const QString& text) override;
    bool printerSetup(QPrinter& printer) override;

private:
    QWidget* parent_;
};
