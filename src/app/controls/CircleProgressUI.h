// A progress shown as a ring: a disc in the background colour, a pie of the
// reached part in the foreground colour, and an inner disc that leaves the ring.
#pragma once

#include <QProgressBar>

// Degrees of the ring that the value fills: (value - minimum) / (maximum - minimum)
// of 360, kept within 0..360; 0 when the range is empty.
double CircleSweepDegrees(int value, int minimum, int maximum);

class CCircleProgressUI : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "CircleProgress";
    static constexpr const char* kRegisteredName = "CCircleProgressUI";
    // The pie starts at 90 degrees (the bottom, turning clockwise).
    static constexpr int kStartDegrees = 90;
    static constexpr int kRingWidth = 10;

    explicit CCircleProgressUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }
    double SweepDegrees() const { return CircleSweepDegrees(value(), minimum(), maximum()); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
