// Tests of the property tree's editing.

#include "PropertyTreeDriver.h"

#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

// A tree of each editable kind, shown, with helpers that click where a user would.
class PropertyTreeTest : public testing::Test {
protected:
    PropertyTreeTest() {
        PropertyItem settings = tree_.AddCategory("Settings", "Feed specific settings.");
        priority_ = tree_.AddItem(settings, PropertyKind::Number, "Priority", "Priority help.", 50);
        readAfter_ =
            tree_.AddChoice(settings, "Mark Read After", "Delay help.", MarkReadAfterChoices(), 3);
        extended_ =
            tree_.AddItem(settings, PropertyKind::Check, "Extended Data", "Check help.", false);
        PropertyItem views = tree_.AddCategory("Views", "Views attached to the Feed.");
        viewList_ =
            tree_.AddCheckList(views, "View List", "Select the Views.",
                               {{"News", 4, true}, {"Sport", 5, false}, {"Tech", 6, false}});
        tree_.resize(500, 400);
        tree_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&tree_));
        tree_.OpenCategory(settings);
    }

    void ClickCell(PropertyItem item, int column) { driver_.ClickCell(item, column); }
    void ClickTick(PropertyItem item, int column) { driver_.ClickTick(item, column); }
    void Select(PropertyItem item) { ClickCell(item, 0); }

    CPropertyTree tree_;
    PropertyItem priority_;
    PropertyItem readAfter_;
    PropertyItem extended_;
    PropertyItem viewList_;
    PropertyTreeDriver driver_{tree_};
};

TEST_F(PropertyTreeTest, OpensTheCategoryAndDescribesTheSelection) {
    EXPECT_TRUE(tree_.Find("Settings")->isExpanded());
    EXPECT_FALSE(tree_.Find("Views")->isExpanded());
    EXPECT_EQ(tree_.Description(), QStringLiteral("Feed specific settings."));
    QTest::keyClick(tree_.Tree(), Qt::Key_Down);
    EXPECT_EQ(tree_.Description(), QStringLiteral("Priority help."));
    EXPECT_EQ(priority_->text(1), QStringLiteral("50"));
    EXPECT_EQ(readAfter_->text(1), QStringLiteral("3 seconds"));
    tree_.Find("Views")->setExpanded(true);
    Select(tree_.CheckEntry(viewList_, "Sport"));
    EXPECT_EQ(tree_.Description(), QStringLiteral("Select the Views."));
}

TEST_F(PropertyTreeTest, ANumberIsTypedAfterAClickOrAKeyAndKeepsItsSign) {
    ClickCell(priority_, 1);
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "25x0");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(tree_.Number(priority_), 250);

    // Typing on the selected row starts the edit with that key, replacing the value.
    QTest::keyClick(tree_.Tree(), Qt::Key_Minus);
    QTest::keyClicks(QApplication::focusWidget(), "5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(tree_.Number(priority_), -5);
    EXPECT_EQ(priority_->text(1), QStringLiteral("-5"));
}

TEST_F(PropertyTreeTest, AChoiceIsPickedByKeyAndKeepsTheEntrysNumber) {
    Select(readAfter_);
    QTest::keyClick(tree_.Tree(), Qt::Key_F2);
    auto* box = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Down); // "4 seconds"
    QTest::keyClick(box, Qt::Key_Down); // "5 seconds"
    QTest::keyClick(box, Qt::Key_Down); // "10 seconds"
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(tree_.Number(readAfter_), 10);
    EXPECT_EQ(readAfter_->text(1), QStringLiteral("10 seconds"));
}

TEST_F(PropertyTreeTest, AnOpenEditorIsTakenWhenTheDialogFinishes) {
    ClickCell(priority_, 1);
    QTest::keyClicks(QApplication::focusWidget(), "7");
    tree_.FinishEditing();
    EXPECT_EQ(tree_.Number(priority_), 7);
}

TEST_F(PropertyTreeTest, ACheckBoxTicksByMouseAndSpace) {
    std::vector<PropertyItem> changed;
    QObject::connect(&tree_, &CPropertyTree::valueChanged,
                     [&changed](PropertyItem item) { changed.push_back(item); });
    ClickTick(extended_, 1);
    EXPECT_TRUE(tree_.Checked(extended_));
    Select(extended_);
    QTest::keyClick(tree_.Tree(), Qt::Key_Space);
    EXPECT_FALSE(tree_.Checked(extended_));
    EXPECT_EQ(changed, (std::vector<PropertyItem>{extended_, extended_}));
}

TEST_F(PropertyTreeTest, ACheckListTicksByMouseAndSpaceAndGivesTheTickedIds) {
    tree_.OpenCategory(tree_.Find("Views"));
    ClickTick(tree_.CheckEntry(viewList_, "Tech"), 0);
    EXPECT_EQ(tree_.CheckedIDs(viewList_), (QList<qint32>{4, 6}));
    Select(tree_.CheckEntry(viewList_, "News"));
    QTest::keyClick(tree_.Tree(), Qt::Key_Space);
    EXPECT_EQ(tree_.CheckedIDs(viewList_), (QList<qint32>{6}));
    EXPECT_EQ(viewList_->text(1), QStringLiteral("Tech"));
}

// A kind edited by a dialog of its own, as a colour is: here the "dialog" appends a mark.
class MarkingEditor : public CPropertyEditor {
public:
    bool Activate(QWidget*, QVariant& value, const QVariant& options) const override {
        value = value.toString() + options.toString();
        return true;
    }
};

TEST_F(PropertyTreeTest, AKindWithoutAnInPlaceEditorIsEditedThroughItsOwnDialog) {
    tree_.SetEditor(PropertyKind::Text, std::make_shared<MarkingEditor>());
    PropertyItem name = tree_.AddItem(tree_.Find("Settings"), PropertyKind::Text, "Name",
                                      "Name help.", QStringLiteral("blue"), QStringLiteral("!"));
    ClickCell(name, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tree_.Text(name) == QStringLiteral("blue!"); }));
    QTest::keyClick(tree_.Tree(), Qt::Key_F2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tree_.Text(name) == QStringLiteral("blue!!"); }));
    EXPECT_EQ(name->text(1), QStringLiteral("blue!!"));
}

} // namespace
