#pragma once

#include <QColor>
#include <QPalette>

namespace inkwarden {

// The contrast ratio of two colours as readability guidelines define it,
// from 1 (none) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// The palette with its secondary text (the PlaceholderText role: countdown,
// placeholder, dates, explanations) made readable on the text background:
// kept where it reaches 4.5:1, otherwise moved towards the main text colour
// until it does. Some dark themes draw it nearly in the background's colour.
QPalette readablePalette(QPalette palette);

// Keeps the application's palette readable, now and after every change of
// theme: only the secondary text colour is set, the rest follows the desktop.
void keepSecondaryTextReadable();

} // namespace inkwarden
