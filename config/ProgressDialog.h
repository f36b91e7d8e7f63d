#pragma once
// The notice a configuration transfer shows while it runs; the main window stays usable.

#include <QDialog>
#include <QTimer>

class QFrame;
class QLabel;
class QProgressBar;

class TFormProgres : public QDialog {
    Q_OBJECT
public:
    explicit TFormProgres(QWidget* parent);
    QFrame* Panel_bar = nullptr;
    QLabel* Label_Bar = nullptr;
    QProgressBar* Bar = nullptr;  // 0..100, navy

    // Shows the notice with this text and the gauge at 0.
    void start(const QString& text);
    // Moves the gauge at once (value, accessible name); it is painted a quarter of a second later at
    // most, with whatever value it has then.
    void setProgress(int value);
    void finish();

private:
    void paintGauge();
    QTimer paintTimer_;
};
