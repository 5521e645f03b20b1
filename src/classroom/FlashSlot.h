#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// A Flash film in a classroom slot, played by the Ruffle player in a web view that is
// created when the first film is played. Without the Ruffle player the slot shows a
// one-line notice instead.
class TFlashSlot : public QWidget {
    Q_OBJECT
public:
    explicit TFlashSlot(QWidget* parent = nullptr);

    // The film's file; Play loads and starts it.
    void SetMovie(const QString& path);
    QString Movie() const { return MovieFile; }
    void Play();
    // An empty film: the player is left blank.
    void Clear();
    void ShowNotice(const QString& text);
    // The player's web view (a QWebEngineView), null until a film was played.
    QWidget* View() const { return Player; }

private:
    QString MovieFile;
    QLabel* Notice;
    QWidget* Player = nullptr;
};

// The folder of the Ruffle player among the program's shared files, and whether it holds
// the player.
QString RuffleFolder();
bool RuffleInstalled();
// The page that plays `movieUrl` with the player at `playerUrl`, filling the view. File
// addresses are read through the page's own loader, which the player's fetches use too.
QString RufflePage(const QString& playerUrl, const QString& movieUrl);
