#pragma once

#include <QColor>
#include <QWidget>

// The captions that head a group of controls ("Functions :", "Description", "Parameters") are
// blue. The blue is the palette's link colour, which a palette keeps readable on its own window
// colour: dark blue on a light palette, light blue on a dark one.
QColor CaptionColour(const QWidget* widget);

// Shows `widget`'s text (a label's, a group box's title) in the caption colour, and keeps it so
// when the palette changes (the desktop switching to a dark scheme while the program runs).
void UseCaptionColour(QWidget* widget);

// The same for a text that is to stand back (a separator line's caption): the palette's
// placeholder text colour, readable but quieter than the window text.
void UseQuietColour(QWidget* widget);
