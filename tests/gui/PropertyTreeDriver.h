// Works a property tree as a user does.

#pragma once

#include "gui/dialogs/PropertyTree.h"

#include <QApplication>
#include <QStyleOptionViewItem>
#include <QTest>

// Works a property tree as a user does: clicks on cells and tick boxes, typing and keys.
class PropertyTreeDriver {
public:
    explicit PropertyTreeDriver(CPropertyTree& tree) : tree_(tree) {}

    QWidget* Viewport() const { return tree_.Tree()->viewport(); }

    // Where the cell is on screen, scrolled into view (which also lays out a category just
    // opened).
    QRect Cell(PropertyItem item, int column) const {
        tree_.Tree()->scrollToItem(item);
        return tree_.Tree()->visualRect(tree_.Tree()->indexFromItem(item, column));
    }

    void ClickCell(PropertyItem item, int column) const {
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Cell(item, column).center());
    }

    // Opens a closed category as a double click on its name does.
    void Open(const QString& category) const {
        PropertyItem item = tree_.Find(category);
        if (!item->isExpanded())
            QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Cell(item, 0).center());
    }

    // A click on the tick box of the item (column 1) or of a check list entry (column 0).
    void ClickTick(PropertyItem item, int column = 1) const {
        QStyleOptionViewItem option;
        option.initFrom(tree_.Tree());
        option.rect = Cell(item, column);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect tick = tree_.Tree()->style()->subElementRect(
            QStyle::SE_ItemViewItemCheckIndicator, &option, tree_.Tree());
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, tick.center());
    }

    // Clicks the value, replaces the text in the editor that opens, and ends with Return.
    void Type(PropertyItem item, const QString& text) const {
        ClickCell(item, 1);
        QWidget* editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

private:
    CPropertyTree& tree_;
};
