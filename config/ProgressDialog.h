#pragma once
// The notice a configuration transfer shows while it runs; the main window stays usable.

#include <QDialog>

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
    // Moves the gauge; it is painted with the window's next frame, not at once.
    void setProgress(int value);
    void finish();
};
