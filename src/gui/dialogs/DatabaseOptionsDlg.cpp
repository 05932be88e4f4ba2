// The "RSS Database Options" dialog: its choices and their descriptions.

#include "gui/dialogs/DatabaseOptionsDlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

namespace {
struct Choice {
    const char* text;
    const char* description;
};
constexpr std::array<Choice, 5> Choices = {{
    {"Open RSS Database", "Option for opening an existing Quillpost database (*.qpdb)."},
    {"Create New RSS Database", "Option for creating a new Quillpost database.  Note: this will "
                                "not delete your current database."},
    {"Import from Quillpost Backup ",
     "Option for adding the Feed/View listings from a Quillpost Backup file (*.qpbk) into the "
     "current database."},
    {"Purge RSS Database Data",
     "Option for purging the old feed item data from the current database.  It will not remove "
     "your Feed/View listings, but will simply \"clean\" the database."},
    {"Save as Quillpost Backup",
     "Option for saving your Feed/View listings in the current database to a special Quillpost "
     "Backup file (*.qpbk).  This file can be use to restore your Feed/View listings."},
}};
} // namespace

QString CDatabaseOptionsDlg::ChoiceText(Option option) {
    return QString::fromLatin1(Choices[std::size_t(option)].text);
}

CDatabaseOptionsDlg::CDatabaseOptionsDlg(QWidget* parent)
    : QDialog(parent), choices_(new QButtonGroup(this)), description_(new QLabel) {
    setObjectName(QStringLiteral("DatabaseOptionsDlg"));
    setWindowTitle(QStringLiteral("RSS Database Options"));
    auto* group = new QGroupBox(QStringLiteral("Select an Option"));
    auto* groupLayout = new QVBoxLayout(group);
    for (std::size_t i = 0; i < Choices.size(); ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(Choices[i].text));
        choices_->addButton(button, int(i));
        groupLayout->addWidget(button);
    }
    description_->setObjectName(QStringLiteral("Description"));
    description_->setWordWrap(true);
    description_->setMinimumHeight(description_->fontMetrics().lineSpacing() * 3);
    description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(description_);
    layout->addStretch(1);
    layout->addWidget(buttons);
    connect(choices_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            ShowDescription();
    });
    Choose(Open);
    setMinimumWidth(440);
}

CDatabaseOptionsDlg::Option CDatabaseOptionsDlg::Chosen() const {
    return Option(choices_->checkedId());
}

void CDatabaseOptionsDlg::Choose(Option option) {
    choices_->button(int(option))->setChecked(true);
    ShowDescription();
}

QString CDatabaseOptionsDlg::Description() const {
    return description_->text();
}

void CDatabaseOptionsDlg::ShowDescription() {
    description_->setText(QString::fromLatin1(Choices[std::size_t(Chosen())].description));
}
