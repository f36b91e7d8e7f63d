#pragma once
// Errors that abandon an operation and reach the application's error hook.

#include <QString>
#include <exception>

class AppError : public std::exception {
public:
    explicit AppError(QString text) : text_(std::move(text)), utf8_(text_.toUtf8()) {}
    // The text the error hook shows.
    virtual QString message() const { return text_; }
    // A text that does not form a valid number; the hook adds "Port COM niedostępny".
    virtual bool isConversionError() const { return false; }
    const char* what() const noexcept override { return utf8_.constData(); }

protected:
    QString text_;
    QByteArray utf8_;
};

// A failing serial port operation: the operation's text and the system's error code; where the back
// end knows them, also the port and the system's own words for the failure.
class PortError : public AppError {
public:
    static constexpr int kNoCode = -1;
    PortError(const QString& text, int systemCode = kNoCode, QString port = {}, QString reason = {})
        : AppError(text), code_(systemCode), port_(std::move(port)), reason_(std::move(reason)) {}
    QString message() const override {
        return code_ == kNoCode ? text_ : text_ + QStringLiteral(" (Error: %1)").arg(code_);
    }
    int systemCode() const { return code_; }
    // The port's name or device ("/dev/ttyUSB0"); empty when not known.
    QString port() const { return port_; }
    // What the system said ("No such file or directory"); empty when not known.
    QString reason() const { return reason_; }

private:
    int code_;
    QString port_;
    QString reason_;
};

class ConversionError : public AppError {
public:
    using AppError::AppError;
    bool isConversionError() const override { return true; }
};

// A file that cannot be opened, created, written or closed.
class FileError : public AppError {
public:
    using AppError::AppError;
};

// A command that cannot be put into a frame (payload too long, text the recorder cannot carry).
class FrameError : public AppError {
public:
    using AppError::AppError;
};
