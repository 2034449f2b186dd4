#!/usr/bin/python3
"""The usual way to set xAvgCharWidth today, measured against quenlo: load the font with
fontTools, set the field, save the font."""
import sys

from fontTools.ttLib import TTFont

path, width = sys.argv[1], int(sys.argv[2])
font = TTFont(path)
font["OS/2"].xAvgCharWidth = width
font.save(path)
