#pragma once

#include <QWidget>

// The gradient progress bar under the question: `Total` equal slices, filled up to the
// question on screen. Any mouse button pressed on it reports the horizontal position.
class TPlanBar : public QWidget {
    Q_OBJECT
public:
    explicit TPlanBar(QWidget* parent = nullptr);

    void SetTotal(int total);
    void SetPosition(int position);
    int Total() const { return TotalCount; }
    int Position() const { return Done; }

signals:
    void pressedAt(int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int TotalCount = 0;
    int Done = 0;
};
