#pragma once

#include <QWidget>

// A page of the main window's page control: a white area named after its design name
// (`tsMainPage` …) whose caption is its window title.
class TPage : public QWidget {
    Q_OBJECT
public:
    TPage(const QString& name, const QString& caption, QWidget* parent = nullptr);
};
