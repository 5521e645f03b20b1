#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;

// A one-line path of captions joined by ">", as shown above a practice question.
class PathBar : public QWidget {
    Q_OBJECT
public:
    explicit PathBar(QWidget* parent = nullptr);

    void SetItems(const QStringList& items);
    QStringList Items() const { return ItemList; }
    QString Text() const;

private:
    QStringList ItemList;
    QLabel* Line;
};
