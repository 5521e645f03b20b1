#pragma once

#include <QImage>
#include <QList>
#include <QString>

// Decodes a picture file with the decoder its extension names, compared without regard to
// case: jpg and jpeg JPEG, png, gif (first frame), bmp, ico. An empty path gives a null
// image. Another extension throws std::runtime_error("Unknown picture file extension
// (.ext)"); a file that cannot be read or decoded throws std::runtime_error too.
QImage ReadPictureFile(const QString& path);

// A picture named inside a question text as "&name.type&".
struct PictureToken {
    qsizetype Start = -1; // position of the opening "&"
    qsizetype Length = 0; // with both "&"
    QString Name;         // without the "S" the question picture library adds
    QString Type;
};

// Every "&name.type&" of `text`, left to right: the text between one "&" and the next,
// split at its first "."; scanning goes on after the closing "&". A lone "&" names none.
QList<PictureToken> PictureTokens(const QString& text);

// Whether a picture of `type` (without regard to case) can stand in a text: jpg and png.
bool IsTextPictureType(const QString& type);
