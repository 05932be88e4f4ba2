// The "Quillpost Settings" dialog: the settings tree shown as a property tree and saved on OK.

#include "gui/dialogs/SettingsDlg.h"

#include "app/SettingsTree.h"
#include "config/RegistrySettings.h"
#include "gui/dialogs/PropertyEditors.h"
#include "gui/screens/HelpWindow.h"
#include "store/Prompt.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

PropertyKind KindOf(SettingKind kind) {
    // In the order of SettingKind.
    constexpr PropertyKind kinds[] = {PropertyKind::ReadOnlyText, PropertyKind::Choice,
                                      PropertyKind::Check,        PropertyKind::FilePath,
                                      PropertyKind::FolderPath,   PropertyKind::Colour,
                                      PropertyKind::Time};
    return kinds[int(kind)];
}

} // namespace

CSettingsDlg::CSettingsDlg(CRssDatabase& db, QWidget* parent)
    : QDialog(parent), db_(db), tree_(new CPropertyTree) {
    setObjectName(QStringLiteral("SettingsDlg"));
    setWindowTitle(QStringLiteral("Quillpost Settings"));
    AddSettingsEditors(*tree_);
    AlignTodayKeysWithRegistrations(CRegistrySettings::ForQuillpost());
    AddSettings();

    auto* buttons = CreateOkCancelHelpButtons(this, QStringLiteral("settings.htm"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_, 1);
    layout->addWidget(buttons);
    resize(560, 620);
}

void CSettingsDlg::AddSettings() {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    PropertyItem first = nullptr;
    for (const SettingCategory& category : SettingsTree()) {
        PropertyItem node = tree_->AddCategory(QString::fromUtf8(category.name),
                                               QString::fromUtf8(category.description));
        node->setHidden(!category.shown);
        first = first ? first : node;
        for (const SettingItem& setting : category.items) {
            const QVariant value = ReadSetting(store, setting);
            const QString label = QString::fromUtf8(setting.label);
            // The database's path is its own description: the cell may be too narrow for it.
            const QString description = setting.kind == SettingKind::ReadOnly
                                            ? value.toString()
                                            : QString::fromUtf8(setting.description);
            if (setting.kind == SettingKind::Choice)
                items_ << tree_->AddChoice(node, label, description, *setting.choices,
                                           value.toInt());
            else
                items_ << tree_->AddItem(node, KindOf(setting.kind), label, description,
                                         setting.kind == SettingKind::Check ? value.toBool()
                                                                            : value);
            items_.back()->setHidden(!setting.shown);
        }
        node->setExpanded(true);
    }
    tree_->OpenCategory(first);
}

void CSettingsDlg::accept() {
    tree_->FinishEditing();
    {
        WaitCursor wait;
        QList<QVariant> values;
        for (PropertyItem item : items_)
            values << tree_->Value(item);
        SaveSettings(CRegistrySettings::ForQuillpost(), values, db_);
    }
    QDialog::accept();
}
