// Text that everyone can read: the contrast of two colours as WCAG 2 computes it (1 to 21), and
// a colour moved just far enough from its background to be read.

#pragma once

#include <QColor>

inline constexpr double ReadableContrast = 4.5;

double ContrastRatio(const QColor& a, const QColor& b);

// `wanted` when it reads on `background`; else the same hue made lighter on a dark background
// or darker on a light one, step by step, until it does (white or black at the end).
QColor ReadableOn(const QColor& wanted, const QColor& background);
