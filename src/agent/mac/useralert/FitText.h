#pragma once

class QLabel;

// Makes a one-line label show its whole text in its fixed width: the font
// shrinks a point at a time down to `smallest`; a text still too wide there
// ends in "…", its whole text in the tool tip. Translations differ in length
// by half, and a title never wraps into the line below it.
//   "Reinicie para completar las actualizaciones", 13 pt bold: 415 px in a
//   345 px label -> 10 pt, whole
//   a 200-character title -> 9 pt, its start and "…"
void FitOneLine(QLabel& label, int smallest);
