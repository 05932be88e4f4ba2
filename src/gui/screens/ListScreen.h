// What the feed list and the item list screens share.

#pragma once

#include "gui/screens/Screen.h"
#include "store/Records.h"

#include <QMenu>
#include <QPointer>
#include <functional>
#include <vector>

class QGridLayout;
class QLabel;
class QListView;

// What the feed list and the item list share: the title strip across the top that opens the
// views menu, the list below it and the screen's button bar, along the bottom in portrait and
// along the right edge in landscape.
class CListScreen : public CScreen {
    Q_OBJECT
public:
    CListScreen(int screenId, const QString& windowName, QWidget* parent);

    QString StripText() const;
    QLabel* Strip() const { return strip_; }
    QListView* List() const { return list_; }
    QToolBar* ButtonBar() const { return buttonBar_; }
    // The menu the screen has open, if any (menus open without blocking the event loop).
    QMenu* OpenMenu() const { return openMenu_; }
    bool IsLandscape() const { return width() > height(); }

    // The menus, built afresh each time they open (the caller owns them). The context menu
    // needs a selected row: without one there is none.
    virtual QMenu* BuildViewsMenu() = 0;
    virtual QMenu* BuildContextMenu() = 0;
    void OpenViewsMenu();
    // Runs a command of the screen's menus and buttons.
    virtual void OnCommand(int command) = 0;
    static constexpr int CancelCommand = 3000;
    void OpenContextMenu(const QPoint& globalPos);
    // The first button's menu: the context menu above the bar, or to its left in landscape.
    void OpenContextMenuAtBar();

protected:
    void SetStripText(const QString& text);
    QAction* AddCommand(QMenu* menu, int command, const QString& text);
    // The user's Views (IDs above 3) as commands base + index: in the menu itself while fewer
    // than nine Views are listed, else gathered in a sub-menu "Views". Then "Cancel".
    void AddUserViewsAndCancel(QMenu* menu, const std::vector<CViewRecord>& views, int commandBase);
    QAction* AddButton(const QString& ownIcon, const QString& themeIcon, const QString& tip,
                       const std::function<void()>& onClick);
    void SetButtonBarVisible(bool visible);
    // The list, or whatever stands in its place, below the strip.
    void SetBody(QWidget* body);
    // Menus pop up under the strip at the screen's left edge (further left in landscape), or at
    // the bar's first button.
    void PopAt(QMenu* menu, const QPoint& globalPos);
    // Moves the current row by one; false when it stays where it is.
    bool StepSelection(int step);
    int CurrentRow() const;
    void SelectRow(int row);
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceButtonBar();

    QLabel* strip_;
    QListView* list_;
    QToolBar* buttonBar_;
    QGridLayout* grid_;
    QWidget* body_ = nullptr;
    QPointer<QMenu> openMenu_;
    bool placedLandscape_ = false;
    bool barWanted_ = true;
};
