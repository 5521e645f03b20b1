#pragma once

#include "data/PictureFiles.h"
#include "data/TQuery.h"

#include <QString>

class QLabel;
class QTextEdit;
class QWidget;

// ---- Local question bank (the connection lives in TdmMain) ----

// Runs `sql` on the bank through the dialect adapter. Mode, compared without regard to
// case: "execute" runs a statement without rows; "open" and any other text fetch the rows
// into `query`. On failure returns false and, when `showError`, shows
// "与本地服务器断开连接，操作失败！"; the query is then left closed.
bool ExecLocalSQL(TQuery& query, const QString& sql, const QString& mode, bool showError);

// ---- Remote grade service ----

struct TServerConnection;

// Runs a command text on the grade service through the provider chosen at start-up.
// "execute" (any case) runs it without rows; other modes fetch its rows into `dataset`,
// where they stay after the connection is closed. With `showMessages`, an unreachable
// service shows "无法连接远程服务器，操作失败！" and a failed command
// "与远程服务器断开连接，操作失败！". Safe to call from a worker thread with
// showMessages = false.
bool ExecRemoteSQL(TQuery& dataset, const QString& command, const QString& mode, bool showMessages);
// The same on the given service entry, a copy of its own: for worker threads, which must not
// read the data module while the UI thread may end it.
struct TServerInfo;
bool ExecRemoteSQL(TServerInfo server, TQuery& dataset, const QString& command, const QString& mode,
                   bool showMessages);
bool ConnectServer(TServerConnection& connection);
bool DisconnectServer(TServerConnection& connection);

// ---- Files ----

// Deletes every file below `path` (sub-folders are kept, emptied); never follows links
// out of the folder. Always reports success.
bool ClearFolder(const QString& path);

// ---- Pauses ----

// Waits `ms` milliseconds while the window keeps painting; input events are held back so
// that no second answer slips in. Tests shorten every pause with SetPauseScale(0).
void Pause(int ms);
void SetPauseScale(double scale);

// ---- Pictures ----

// Shows a picture file in a label by the rule of ReadPictureFile. An empty path clears the
// label; on an error the label keeps what it showed.
void LoadPictureFile(QLabel* control, const QString& path);

// Inserts the picture at `path` (jpg or png) at the caret of `control`, replacing the
// selection; the clipboard is never touched. The control is read-only afterwards.
void InsertPicture(QTextEdit* control, const QString& path);

// Shows `text` with every "&name.type&" token replaced by the picture "S"+name from the
// question picture library; tokens without a usable picture are removed.
void LoadRichText(QTextEdit* control, const QString& text);

// Shows the named picture of the main picture library, or leaves the label empty.
void LoadResImage(QLabel* control, const QString& name);
