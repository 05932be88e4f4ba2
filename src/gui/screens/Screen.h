// The base of the main view's full-window screens and their navigation keys.

#pragma once

#include <QAbstractItemView>
#include <QLabel>
#include <QToolBar>
#include <QWidget>

// The five keys of the main window that every screen answers in its own way.
enum class NavigationKey { Up, Down, Left, Right, Action };

// One of the main view's full-window screens. Each brings its own command bar, shown with it.
class CScreen : public QWidget {
    Q_OBJECT
public:
    CScreen(int screenId, const QString& windowName, QWidget* parent);

    int ScreenId() const { return screenId_; }
    QToolBar* CommandBar() const { return commandBar_; }

    virtual void OnNavigationKey(NavigationKey key) = 0;

    // The one-line strip across the top of a screen or dialog that names what it shows.
    static QLabel* MakeTitleStrip(const QString& text);

protected:
    // The centred note a screen shows where it has nothing to list.
    static QLabel* MakeNote(const QString& html);
    // Moves a list's selection by a number of rows, staying within the list. (Key events sent
    // to the list would come back to the window's own shortcuts.)
    static void MoveSelection(QAbstractItemView* list, int rows);

    QToolBar* commandBar_;

private:
    int screenId_;
};
