#pragma once
// The look every build of the program shares.

class QApplication;

void applyAppStyle(QApplication& app);
