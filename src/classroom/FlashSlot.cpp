#include "classroom/FlashSlot.h"

#include "data/InstallLayout.h"
#include "online/WebView.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString kNoPlayer = QStringLiteral("未安装 Flash 播放组件（Ruffle），无法播放此动画。");
}

QString RuffleFolder() {
    return InstallLayout::SharedDataFolder() + QStringLiteral("/ruffle");
}

bool RuffleInstalled() {
    return QFileInfo(RuffleFolder() + QStringLiteral("/ruffle.js")).isFile();
}

QString RufflePage(const QString& playerUrl, const QString& movieUrl) {
    // Chromium's fetch refuses file addresses; the player fetches its WebAssembly and the
    // film through fetch, so file addresses are answered from XMLHttpRequest, which local
    // pages may use on local files.
    static const char* page = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8">
<style>html,body{margin:0;height:100%;overflow:hidden;background:#fff}
#stage{width:100%;height:100%}</style>
<script>
const pageFetch = window.fetch.bind(window);
window.fetch = (input, init) => {
  const url = new URL(input instanceof Request ? input.url : String(input), document.baseURI);
  if (url.protocol !== 'file:') return pageFetch(input, init);
  return new Promise((resolve, reject) => {
    const request = new XMLHttpRequest();
    request.open('GET', url.href);
    request.responseType = 'arraybuffer';
    request.onload = () => resolve(new Response(request.response, {status: 200, headers:
      {'Content-Type': url.pathname.endsWith('.wasm') ? 'application/wasm' : 'application/octet-stream'}}));
    request.onerror = () => reject(new TypeError('cannot read ' + url.href));
    request.send();
  });
};
window.RufflePlayer = {config: {autoplay: 'on', unmuteOverlay: 'hidden', splashScreen: false,
  contextMenu: 'off', letterbox: 'on', publicPath: '%1/', allowNetworking: 'none',
  warnOnUnsupportedContent: false, showSwfDownload: false}};
</script>
<script src="%1/ruffle.js"></script>
</head><body><div id="stage"></div>
<script>
const player = window.RufflePlayer.newest().createPlayer();
player.style.width = '100%';
player.style.height = '100%';
document.getElementById('stage').appendChild(player);
player.load({url: '%2'.replace(/'/g, '%27')}).then(() => player.play());
</script></body></html>)";
    return QString::fromLatin1(page).arg(playerUrl, movieUrl);
}

TFlashSlot::TFlashSlot(QWidget* parent) : QWidget(parent), Notice(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Notice->setObjectName(QStringLiteral("SwfNotice"));
    Notice->setAlignment(Qt::AlignCenter);
    Notice->setWordWrap(true);
    Notice->hide();
    layout->addWidget(Notice);
    setFocusPolicy(Qt::StrongFocus);
}

void TFlashSlot::SetMovie(const QString& path) {
    MovieFile = path;
}

void TFlashSlot::Play() {
    if (MovieFile.isEmpty())
        return Clear();
    if (!RuffleInstalled())
        return ShowNotice(kNoPlayer);
    if (!Player) {
        Player = CreateWebView(this, QStringLiteral("SwfView"));
        if (!Player)
            return ShowNotice(kNoPlayer);
        layout()->addWidget(Player);
    }
    Notice->hide();
    Player->show();
    const QUrl folder = QUrl::fromLocalFile(RuffleFolder());
    const QUrl movie = QUrl::fromLocalFile(QFileInfo(MovieFile).absoluteFilePath());
    WebModule()->LoadHtml(
        Player, RufflePage(folder.toString(QUrl::FullyEncoded), movie.toString(QUrl::FullyEncoded)),
        QUrl::fromLocalFile(QDir(RuffleFolder()).filePath(QStringLiteral("page.html"))));
}

void TFlashSlot::Clear() {
    MovieFile.clear();
    Notice->hide();
    if (Player)
        WebModule()->LoadHtml(Player, QString(), QUrl());
}

void TFlashSlot::ShowNotice(const QString& text) {
    if (Player)
        Player->hide();
    Notice->setText(text);
    Notice->show();
}
