// What the window keeps between starts in the configuration file.

#pragma once

#include <QByteArray>
#include <QRect>

// What the window keeps between starts, in the "Window" section of the configuration file:
// its geometry, the layout chosen, the splitters, the item table's columns and sort.
class CWindowState {
public:
    enum class Layout { Automatic = 0, Wide = 1, Narrow = 2 };
    // Below this width the automatic choice is the one-screen-at-a-time layout.
    static constexpr int WideThreshold = 900;

    static Layout ChosenLayout();
    static void SetChosenLayout(Layout layout);
    static bool ReadingPaneBeside();
    static void SetReadingPaneBeside(bool beside);

    // The window's place and size when not maximised, and whether it was maximised. Kept as
    // they were (Qt's own saved geometry shrinks a window to the screen it first meets, which
    // the window manager does better when the window is shown).
    static QRect NormalGeometry();
    static bool Maximized();
    static void SetGeometry(const QRect& normal, bool maximized);

    // Saved states of Qt's widgets (geometry, splitter, header), by name.
    static QByteArray Read(const char* name);
    static void Write(const char* name, const QByteArray& state);
};
