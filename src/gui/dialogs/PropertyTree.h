// The property tree the property and settings dialogs are built on.

#pragma once

#include "app/PropertyChoices.h"

#include <QIcon>
#include <QList>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>
#include <map>
#include <memory>

class QLabel;

// The kinds of item a property tree holds. A new kind is one more enumerator here and a
// CPropertyEditor registered for it with CPropertyTree::SetEditor; the tree itself stays as is.
enum class PropertyKind {
    ReadOnlyText, // a value shown, nothing to edit
    Text,         // editable text
    Number,       // digits, optionally signed; the dialog clamps
    Choice,       // entries each carrying a number; the value is the number
    Check,        // a flag
    CheckList,    // names each with an ID and a tick, shown as the item's children
    // The settings screen's kinds; their editors are in PropertyEditors.h.
    FilePath,   // a path typed or picked with a file chooser
    FolderPath, // a path typed or picked with a folder chooser
    Colour,     // 0x00BBGGRR, typed as "#RRGGBB" or picked
    Time,       // a minute of the day, positive when on
};

// How one kind of item shows and edits its value. The tree calls it from its item delegate, so
// a kind defines its look and editing without knowing the tree. `options` is the per-item extra
// data given to CPropertyTree::AddItem (the entries of a choice, say).
class CPropertyEditor {
public:
    virtual ~CPropertyEditor() = default;
    // The text in the value column.
    virtual QString Text(const QVariant& value, const QVariant& options) const;
    // A picture before that text (a colour's swatch); none by default.
    virtual QIcon Icon(const QVariant& value, const QVariant& options) const;
    // An editor placed over the value cell, or nullptr when the kind is not edited in place.
    virtual QWidget* CreateEditor(QWidget* parent, const QVariant& options) const;
    virtual void SetEditorValue(QWidget* editor, const QVariant& value) const;
    virtual QVariant EditorValue(QWidget* editor) const;
    // For kinds edited by a dialog of their own (CreateEditor gives nullptr): runs it whenever
    // the user starts an edit (click on the value, double click, F2, a key) and returns true
    // when `value` was changed. Give such a kind's items Qt::ItemIsEditable (AddItem does).
    virtual bool Activate(QWidget* parent, QVariant& value, const QVariant& options) const;
};

// A handle of one category or item of a tree; valid as long as the tree.
using PropertyItem = QTreeWidgetItem*;

struct PropertyCheck {
    QString name;
    qint32 id = 0;
    bool ticked = false;
};

// A tree of named property items under top-level categories, with the description of the current
// selection in a line under it. Items are edited by keyboard (typing or F2 opens the editor, Space
// ticks) and mouse (a click on the value of the selected item, a double click, the tick box).
// Values are read back through the handles the Add functions return.
class CPropertyTree : public QWidget {
    Q_OBJECT
public:
    explicit CPropertyTree(QWidget* parent = nullptr);
    ~CPropertyTree() override;

    PropertyItem AddCategory(const QString& name, const QString& description);
    PropertyItem AddItem(PropertyItem category, PropertyKind kind, const QString& name,
                         const QString& description, const QVariant& value = {},
                         const QVariant& options = {});
    PropertyItem AddChoice(PropertyItem category, const QString& name, const QString& description,
                           const PropertyChoices& choices, int value);
    PropertyItem AddCheckList(PropertyItem category, const QString& name,
                              const QString& description, const QList<PropertyCheck>& entries);

    // Opens the category, selects it and gives the tree the focus.
    void OpenCategory(PropertyItem category);

    // Takes the value of an editor still open; the dialogs call it before reading values on OK.
    void FinishEditing();

    // Replaces the editor of a kind (or adds one for a new kind).
    void SetEditor(PropertyKind kind, std::shared_ptr<const CPropertyEditor> editor);

    QVariant Value(PropertyItem item) const;
    void SetValue(PropertyItem item, const QVariant& value);
    QString Text(PropertyItem item) const { return Value(item).toString(); }
    int Number(PropertyItem item) const { return Value(item).toInt(); }
    bool Checked(PropertyItem item) const { return Value(item).toBool(); }
    // The IDs of the ticked entries of a check list, in list order.
    QList<qint32> CheckedIDs(PropertyItem checkList) const;
    // The entry of a check list with this name, for ticking it.
    PropertyItem CheckEntry(PropertyItem checkList, const QString& name) const;

    // Looks an item up by its name (categories included), for tests and dialogs.
    PropertyItem Find(const QString& name) const;
    QString Description() const;
    QTreeWidget* Tree() const { return tree_; }

signals:
    void valueChanged(PropertyItem item);

private:
    friend class CPropertyDelegate;
    const CPropertyEditor& EditorOf(PropertyKind kind) const;
    void ShowValue(PropertyItem item);
    void ShowDescription();

    QTreeWidget* tree_;
    QLabel* description_;
    std::map<PropertyKind, std::shared_ptr<const CPropertyEditor>> editors_;
};
