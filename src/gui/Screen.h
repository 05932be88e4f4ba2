#pragma once

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

protected:
    QToolBar* commandBar_;

private:
    int screenId_;
};
