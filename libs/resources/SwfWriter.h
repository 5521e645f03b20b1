#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// A small Flash film: flat shapes on a coloured stage, some of them moving along straight
// segments between key frames. Written as an uncompressed SWF file (FWS, version 10) with
// SetBackgroundColor, DefineShape, PlaceObject2 and ShowFrame tags.
namespace veltrano::swf {

// One outline of a shape: a closed polygon (filled and/or stroked) or an open line.
struct Outline {
    QList<QPointF> points; // stage pixels, relative to the shape's origin
    bool closed = true;
    std::optional<QColor> fill;
    double lineWidth = 0; // pixels; 0 draws no line
    QColor lineColor;
};

struct Shape {
    QString name;
    QList<Outline> outlines;
};

// A place of a group of shapes at one frame: position of their origin and turn in degrees
// (clockwise on screen).
struct Key {
    int frame = 0;
    QPointF position;
    double angle = 0;
};

// Shapes placed together on consecutive depths, still (one key) or moving between keys.
struct Placement {
    QList<int> shapes; // indices into Movie::shapes
    QList<Key> keys;   // ordered by frame
};

struct Movie {
    int width = 0;
    int height = 0;
    int frameRate = 12;
    int frameCount = 1;
    QColor background = Qt::white;
    QList<Shape> shapes;
    QList<Placement> placements;
};

// Reads a film description (UTF-8 text, one statement per line, '#' starts a comment):
//   stage <width> <height> <frames per second> <frame count>
//   background <rrggbb>
//   shape <name>
//   rect|poly|line <fill rrggbb or -> <line width> <line colour rrggbb or -> <geometry>
//       rect geometry: <x> <y> <w> <h>; poly and line: <x>,<y> <x>,<y> ...
//   place <shape> [<shape>...] at <frame> <x> <y> <angle> [<frame> <x> <y> <angle> ...]
// Outlines belong to the shape named last. On failure returns nothing and sets `error`
// to the line number and the reason.
std::optional<Movie> ParseMovie(const QString& text, QString* error);

// The place of a placement at a frame: keys interpolated in a straight line, held before
// the first key and after the last.
Key PlaceAt(const Placement& placement, int frame);

// The SWF file of a movie.
QByteArray WriteMovie(const Movie& movie);

} // namespace veltrano::swf
