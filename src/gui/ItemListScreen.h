#pragma once

#include "gui/Screen.h"

class QLabel;

// "View Mode": the items of one View or Feed with the reading pane. Until the item commands
// arrive the page says what will stand here and which Feed or View was chosen.
class CItemListScreen : public CScreen {
    Q_OBJECT
public:
    static constexpr int Id = 2010;

    explicit CItemListScreen(QWidget* parent = nullptr);

    // Shows what the item list would list: a Feed's title or a View's label, or nothing.
    void ShowSource(const QString& stripText);
    void OnNavigationKey(NavigationKey key) override;
    QString StripText() const;

signals:
    void feedListRequested();

private:
    QLabel* strip_;
    QLabel* page_;
};
