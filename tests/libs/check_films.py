#!/usr/bin/python3
"""Reads the Flash films of a resource library back with an independent SWF parser
(yaswfp) and checks what a player needs: a valid header, every frame shown, shapes
defined before use, and something moving across the frames.

    check_films.py <folder holding *.swf> <minimum number of films>
"""
import glob
import os
import sys

from yaswfp import swfparser


def check(path):
    parsed = swfparser.parsefile(path)
    header = parsed.header
    problems = []
    if header.Signature != "FWS" or header.Version != 10:
        problems.append("header %s %s" % (header.Signature, header.Version))
    if header.FileLength != os.path.getsize(path):
        problems.append("file length %d" % header.FileLength)
    if tuple(header.FrameSize) != (0, 780 * 20, 0, 480 * 20):
        problems.append("stage %s" % (header.FrameSize,))
    names = [tag.name for tag in parsed.tags]
    if names[:2] != ["FileAttributes", "SetBackgroundColor"]:
        problems.append("first tags %s" % names[:2])
    if names.count("ShowFrame") != header.FrameCount or header.FrameCount < 24:
        problems.append("%d frames shown of %d" % (names.count("ShowFrame"), header.FrameCount))
    defined = set()
    moves = {}
    for tag in parsed.tags:
        if tag.name == "DefineShape":
            if not tag.Shapes.ShapeRecords or tag.Shapes.FillStyles.FillStyleCount + \
                    tag.Shapes.LineStyles.LineStyleCount == 0:
                problems.append("shape %d draws nothing" % tag.ShapeId)
            defined.add(tag.ShapeId)
        elif tag.name == "PlaceObject2":
            if tag.PlaceFlagHasCharacter and tag.CharacterId not in defined:
                problems.append("shape %d placed before it is defined" % tag.CharacterId)
            if tag.PlaceFlagMove:
                moves[tag.Depth] = moves.get(tag.Depth, 0) + 1
    if len(defined) < 4:
        problems.append("only %d shapes" % len(defined))
    if not moves or max(moves.values()) < header.FrameCount // 3:
        problems.append("nothing moves over a third of the film")
    return problems


def main():
    films = sorted(glob.glob(os.path.join(sys.argv[1], "*.swf")))
    failed = 0
    for film in films:
        problems = check(film)
        failed += 1 if problems else 0
        print("%s: %s" % (os.path.basename(film), "; ".join(problems) or "ok"))
    if len(films) < int(sys.argv[2]):
        print("only %d films" % len(films))
        failed += 1
    print("%d passed, %d failed" % (max(len(films) - failed, 0), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
