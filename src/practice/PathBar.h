#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>
#include <functional>

class QHBoxLayout;
class QLabel;

// A one-line path of captions separated by ">", as shown above a practice question. Each
// caption is its own control ("PathItem" + index) and may carry a click action.
class PathBar : public QWidget {
    Q_OBJECT
public:
    explicit PathBar(QWidget* parent = nullptr);

    // Shows `items` in order; no item has a click action afterwards.
    void SetItems(const QStringList& items);
    // Gives item `index` an action run when the item is clicked; ignored for an index that
    // is not shown.
    void SetItemAction(int index, std::function<void()> action);
    QStringList Items() const { return ItemList; }
    QString Text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStringList ItemList;
    QList<QLabel*> Captions;
    QList<QLabel*> Separators;
    QList<std::function<void()>> Actions;
    QHBoxLayout* Row;
};
