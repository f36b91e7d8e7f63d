#include "app/QtPeople.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

static QString caption() { return QGuiApplication::applicationDisplayName(); }

static void box(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, caption(), text, QMessageBox::Ok, parent);
    box.exec();
}

void QtPeople::beep() { QApplication::beep(); }
void QtPeople::error(const QString& text) { box(parent_, QMessageBox::Critical, text); }
void QtPeople::information(const QString& text) { box(parent_, QMessageBox::Information, text); }
void QtPeople::warning(const QString& text) { box(parent_, QMessageBox::Warning, text); }
void QtPeople::plain(const QString& text) { box(parent_, QMessageBox::NoIcon, text); }

bool QtPeople::askYesNo(const QString& text) { return askYesNo(text, Preselected::Yes); }

bool QtPeople::askYesNo(const QString& text, Preselected preselected) {
    QMessageBox box(QMessageBox::Warning, caption(), text, QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(preselected == Preselected::No ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

static QStringList runFileDialog(QWidget* parent, const FileDialogRequest& r, QFileDialog::AcceptMode mode,
                                 QFileDialog::FileMode files) {
    QFileDialog dialog(parent, QString(), r.directory, r.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(files);
    dialog.setDefaultSuffix(r.defaultSuffix);
    if (!r.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

QString QtPeople::openFileName(const FileDialogRequest& request) {
    return runFileDialog(parent_, request, QFileDialog::AcceptOpen, QFileDialog::ExistingFile).value(0);
}

QString QtPeople::saveFileName(const FileDialogRequest& request) {
    return runFileDialog(parent_, request, QFileDialog::AcceptSave, QFileDialog::AnyFile).value(0);
}

QStringList QtPeople::openFileNames(const FileDialogRequest& request) {
    return runFileDialog(parent_, request, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
}

QString QtPeople::askText(const QString& label, const QString& text) {
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, caption(), label, QLineEdit::Normal, text, &ok);
    return ok ? answer.trimmed() : QString();
}

bool QtPeople::printerSetup(QPrinter& printer) {
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}
