// The property tree: categories of labelled entries, each with the editor of its kind.

#include "gui/dialogs/PropertyTree.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

Q_DECLARE_METATYPE(PropertyChoices)

namespace {

constexpr int NameColumn = 0;
constexpr int ValueColumn = 1;

// Everything but the shown text and the tick lives in the name column's data.
enum Role {
    KindRole = Qt::UserRole, // a PropertyKind, absent for categories and check list entries
    ValueRole,
    OptionsRole,
    DescriptionRole,
    EntryIdRole, // the ID of a check list entry
};

bool IsEntry(const QTreeWidgetItem* item) {
    return item->data(NameColumn, EntryIdRole).isValid();
}

bool IsCategory(const QTreeWidgetItem* item) {
    return item->parent() == nullptr;
}

std::optional<PropertyKind> KindOf(const QTreeWidgetItem* item) {
    const QVariant kind = item->data(NameColumn, KindRole);
    if (!kind.isValid())
        return std::nullopt;
    return PropertyKind(kind.toInt());
}

// The column whose tick or editor belongs to the item: an entry's tick sits beside its name.
int EditColumn(const QTreeWidgetItem* item) {
    return IsEntry(item) ? NameColumn : ValueColumn;
}

class CTextEditor : public CPropertyEditor {
public:
    QWidget* CreateEditor(QWidget* parent, const QVariant&) const override {
        return new QLineEdit(parent);
    }
    void SetEditorValue(QWidget* editor, const QVariant& value) const override {
        static_cast<QLineEdit*>(editor)->setText(value.toString());
    }
    QVariant EditorValue(QWidget* editor) const override {
        return static_cast<QLineEdit*>(editor)->text();
    }
};

// Digits with an optional sign: out-of-range numbers are typed as they come and clamped by the
// dialog, so that the user sees the rule applied rather than keys refused.
class CNumberEditor : public CTextEditor {
public:
    QWidget* CreateEditor(QWidget* parent, const QVariant& options) const override {
        auto* edit = static_cast<QLineEdit*>(CTextEditor::CreateEditor(parent, options));
        static const QRegularExpression digits(QStringLiteral("-?[0-9]{0,9}"));
        edit->setValidator(new QRegularExpressionValidator(digits, edit));
        return edit;
    }
    QVariant EditorValue(QWidget* editor) const override {
        return CTextEditor::EditorValue(editor).toString().toInt();
    }
};

// A stored value the list does not offer (a View's Max Items set from the command line, say)
// shows as its number and stays chosen until the user picks another.
class CChoiceEditor : public CPropertyEditor {
public:
    QString Text(const QVariant& value, const QVariant& options) const override {
        for (const PropertyChoice& choice : options.value<PropertyChoices>())
            if (choice.value == value.toInt())
                return QString::fromUtf8(choice.text);
        return value.toString();
    }
    QWidget* CreateEditor(QWidget* parent, const QVariant& options) const override {
        auto* box = new QComboBox(parent);
        for (const PropertyChoice& choice : options.value<PropertyChoices>())
            box->addItem(QString::fromUtf8(choice.text), choice.value);
        return box;
    }
    void SetEditorValue(QWidget* editor, const QVariant& value) const override {
        auto* box = static_cast<QComboBox*>(editor);
        if (box->findData(value.toInt()) < 0)
            box->addItem(value.toString(), value.toInt());
        box->setCurrentIndex(box->findData(value.toInt()));
    }
    QVariant EditorValue(QWidget* editor) const override {
        return static_cast<QComboBox*>(editor)->currentData();
    }
};

// The tick of a check box is the item's check state; it has no text.
class CCheckEditor : public CPropertyEditor {
public:
    QString Text(const QVariant&, const QVariant&) const override { return {}; }
};

} // namespace

QString CPropertyEditor::Text(const QVariant& value, const QVariant&) const {
    return value.toString();
}

QIcon CPropertyEditor::Icon(const QVariant&, const QVariant&) const {
    return {};
}

QWidget* CPropertyEditor::CreateEditor(QWidget*, const QVariant&) const {
    return nullptr;
}

void CPropertyEditor::SetEditorValue(QWidget*, const QVariant&) const {}

QVariant CPropertyEditor::EditorValue(QWidget*) const {
    return {};
}

bool CPropertyEditor::Activate(QWidget*, QVariant&, const QVariant&) const {
    return false;
}

// The tree view: whatever cell of a row the user edits or ticks, the row's value is meant.
class CPropertyTreeView : public QTreeWidget {
public:
    // Commits and closes an editor left open, so that OK takes what was typed.
    void FinishEditing() {
        const QModelIndex index = currentIndex();
        if (!index.isValid())
            return;
        if (QWidget* editor = indexWidget(index.siblingAtColumn(ValueColumn))) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        QTreeWidgetItem* item = index.isValid() ? itemFromIndex(index) : nullptr;
        if (item == nullptr || IsCategory(item))
            return QTreeWidget::edit(index, trigger, event);
        return QTreeWidget::edit(index.siblingAtColumn(EditColumn(item)), trigger, event);
    }
};

class CPropertyDelegate : public QStyledItemDelegate {
public:
    CPropertyDelegate(CPropertyTree* tree, CPropertyTreeView* view)
        : QStyledItemDelegate(view), tree_(tree), view_(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        QTreeWidgetItem* item = view_->itemFromIndex(index);
        const auto kind = KindOf(item);
        if (!kind)
            return nullptr;
        const CPropertyEditor& kindEditor = tree_->EditorOf(*kind);
        QWidget* editor = kindEditor.CreateEditor(parent, item->data(NameColumn, OptionsRole));
        if (editor == nullptr) {
            // Edited by a dialog of its own, run once the view has finished starting the edit.
            QTimer::singleShot(0, tree_, [tree = tree_, item, &kindEditor] {
                QVariant value = tree->Value(item);
                if (kindEditor.Activate(tree, value, item->data(NameColumn, OptionsRole)))
                    tree->SetValue(item, value);
            });
            return nullptr;
        }
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            // A pick from the list is taken at once; the box stays open for the next key.
            connect(box, &QComboBox::activated, this,
                    [this, box] { const_cast<CPropertyDelegate*>(this)->commitData(box); });
        }
        editor->setAutoFillBackground(true);
        return editor;
    }

    // A little air around each row, so that editors and tick boxes are not cramped.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 6);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        QTreeWidgetItem* item = view_->itemFromIndex(index);
        tree_->EditorOf(*KindOf(item)).SetEditorValue(editor, tree_->Value(item));
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        QTreeWidgetItem* item = view_->itemFromIndex(index);
        tree_->SetValue(item, tree_->EditorOf(*KindOf(item)).EditorValue(editor));
    }

protected:
    // Return ends the edit and stays in the tree; the next Return is the dialog's.
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                emit commitData(editor);
                emit closeEditor(editor, NoHint);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    CPropertyTree* tree_;
    CPropertyTreeView* view_;
};

CPropertyTree::CPropertyTree(QWidget* parent)
    : QWidget(parent), tree_(new CPropertyTreeView), description_(new QLabel) {
    auto* view = static_cast<CPropertyTreeView*>(tree_);
    tree_->setObjectName(QStringLiteral("PropertyTree"));
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    tree_->header()->setSectionResizeMode(NameColumn, QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(true);
    tree_->setAlternatingRowColors(true);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    tree_->setItemDelegate(new CPropertyDelegate(this, view));

    description_->setObjectName(QStringLiteral("Description"));
    description_->setWordWrap(true);
    description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    description_->setMinimumHeight(description_->fontMetrics().lineSpacing() * 4);
    description_->setFrameShape(QFrame::StyledPanel);
    description_->setMargin(4);
    description_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_, 1);
    layout->addWidget(description_);

    SetEditor(PropertyKind::ReadOnlyText, std::make_shared<CPropertyEditor>());
    SetEditor(PropertyKind::Text, std::make_shared<CTextEditor>());
    SetEditor(PropertyKind::Number, std::make_shared<CNumberEditor>());
    SetEditor(PropertyKind::Choice, std::make_shared<CChoiceEditor>());
    SetEditor(PropertyKind::Check, std::make_shared<CCheckEditor>());

    connect(tree_, &QTreeWidget::currentItemChanged, this, &CPropertyTree::ShowDescription);
    // A single click on the value of an item opens its editor, as in other property sheets.
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column == ValueColumn && (item->flags() & Qt::ItemIsEditable))
            tree_->editItem(item, ValueColumn);
    });
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (IsEntry(item) && column == NameColumn) {
            ShowValue(item->parent());
            emit valueChanged(item->parent());
        } else if (KindOf(item) == PropertyKind::Check && column == ValueColumn) {
            emit valueChanged(item);
        }
    });
}

CPropertyTree::~CPropertyTree() = default;

PropertyItem CPropertyTree::AddCategory(const QString& name, const QString& description) {
    auto* category = new QTreeWidgetItem(tree_, {name});
    category->setData(NameColumn, DescriptionRole, description);
    category->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QFont bold = category->font(NameColumn);
    bold.setBold(true);
    category->setFont(NameColumn, bold);
    category->setFirstColumnSpanned(true);
    return category;
}

PropertyItem CPropertyTree::AddItem(PropertyItem category, PropertyKind kind, const QString& name,
                                    const QString& description, const QVariant& value,
                                    const QVariant& options) {
    auto* item = new QTreeWidgetItem(category, {name});
    item->setData(NameColumn, KindRole, int(kind));
    item->setData(NameColumn, DescriptionRole, description);
    item->setData(NameColumn, OptionsRole, options);
    item->setToolTip(NameColumn, description);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (kind == PropertyKind::Check)
        flags |= Qt::ItemIsUserCheckable;
    else if (kind != PropertyKind::ReadOnlyText && kind != PropertyKind::CheckList)
        flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    SetValue(item, value);
    return item;
}

PropertyItem CPropertyTree::AddChoice(PropertyItem category, const QString& name,
                                      const QString& description, const PropertyChoices& choices,
                                      int value) {
    return AddItem(category, PropertyKind::Choice, name, description, value,
                   QVariant::fromValue(choices));
}

PropertyItem CPropertyTree::AddCheckList(PropertyItem category, const QString& name,
                                         const QString& description,
                                         const QList<PropertyCheck>& entries) {
    PropertyItem list = AddItem(category, PropertyKind::CheckList, name, description);
    for (const PropertyCheck& entry : entries) {
        auto* row = new QTreeWidgetItem({entry.name});
        row->setData(NameColumn, EntryIdRole, entry.id);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        row->setCheckState(NameColumn, entry.ticked ? Qt::Checked : Qt::Unchecked);
        list->addChild(row);
    }
    list->setExpanded(true);
    ShowValue(list);
    return list;
}

void CPropertyTree::OpenCategory(PropertyItem category) {
    category->setExpanded(true);
    tree_->setCurrentItem(category);
    tree_->setFocus();
}

void CPropertyTree::FinishEditing() {
    static_cast<CPropertyTreeView*>(tree_)->FinishEditing();
}

void CPropertyTree::SetEditor(PropertyKind kind, std::shared_ptr<const CPropertyEditor> editor) {
    editors_[kind] = std::move(editor);
}

const CPropertyEditor& CPropertyTree::EditorOf(PropertyKind kind) const {
    return *editors_.at(kind);
}

QVariant CPropertyTree::Value(PropertyItem item) const {
    switch (KindOf(item).value_or(PropertyKind::ReadOnlyText)) {
    case PropertyKind::Check:
        return item->checkState(ValueColumn) == Qt::Checked;
    case PropertyKind::CheckList:
        return QVariant::fromValue(CheckedIDs(item));
    default:
        return item->data(NameColumn, ValueRole);
    }
}

void CPropertyTree::SetValue(PropertyItem item, const QVariant& value) {
    const PropertyKind kind = KindOf(item).value_or(PropertyKind::ReadOnlyText);
    if (kind == PropertyKind::Check)
        item->setCheckState(ValueColumn, value.toBool() ? Qt::Checked : Qt::Unchecked);
    else if (kind != PropertyKind::CheckList)
        item->setData(NameColumn, ValueRole, value);
    ShowValue(item);
    if (kind != PropertyKind::Check) // a tick reports itself through itemChanged
        emit valueChanged(item);
}

QList<qint32> CPropertyTree::CheckedIDs(PropertyItem checkList) const {
    QList<qint32> ids;
    for (int i = 0; i < checkList->childCount(); ++i)
        if (checkList->child(i)->checkState(NameColumn) == Qt::Checked)
            ids << checkList->child(i)->data(NameColumn, EntryIdRole).toInt();
    return ids;
}

PropertyItem CPropertyTree::CheckEntry(PropertyItem checkList, const QString& name) const {
    for (int i = 0; i < checkList->childCount(); ++i)
        if (checkList->child(i)->text(NameColumn) == name)
            return checkList->child(i);
    return nullptr;
}

PropertyItem CPropertyTree::Find(const QString& name) const {
    const QList<QTreeWidgetItem*> found =
        tree_->findItems(name, Qt::MatchExactly | Qt::MatchRecursive, NameColumn);
    return found.isEmpty() ? nullptr : found.first();
}

QString CPropertyTree::Description() const {
    return description_->text();
}

void CPropertyTree::ShowValue(PropertyItem item) {
    const PropertyKind kind = KindOf(item).value_or(PropertyKind::ReadOnlyText);
    if (kind == PropertyKind::CheckList) {
        QStringList ticked;
        for (int i = 0; i < item->childCount(); ++i)
            if (item->child(i)->checkState(NameColumn) == Qt::Checked)
                ticked << item->child(i)->text(NameColumn);
        item->setText(ValueColumn, ticked.join(QStringLiteral(", ")));
        return;
    }
    const CPropertyEditor& editor = EditorOf(kind);
    const QVariant options = item->data(NameColumn, OptionsRole);
    const QString text = editor.Text(Value(item), options);
    item->setText(ValueColumn, text);
    item->setIcon(ValueColumn, editor.Icon(Value(item), options));
    item->setToolTip(ValueColumn, text);
}

void CPropertyTree::ShowDescription() {
    const QTreeWidgetItem* item = tree_->currentItem();
    if (item != nullptr && IsEntry(item))
        item = item->parent();
    description_->setText(item ? item->data(NameColumn, DescriptionRole).toString() : QString());
}
