// The "Server Account" dialog: address, user, password, Test, Save and Remove.

#include "gui/dialogs/SyncAccountDlg.h"

#include "gui/screens/HelpWindow.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"
#include "sync/SyncAccount.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>
#include <utility>

namespace {
const QString Kind = QStringLiteral("ttrss");
const QString NoAccountYet = QStringLiteral(
    "The password goes to the desktop's secret store; where none is running, to a file that "
    "you alone can read.");
} // namespace

CSyncAccountDlg::CSyncAccountDlg(CRssDatabase& db, QWidget* parent)
    : QDialog(parent), db_(db), address_(new QLineEdit), user_(new QLineEdit),
      password_(new QLineEdit), test_(new QPushButton(QStringLiteral("Test"))),
      save_(new QPushButton(QStringLiteral("Save"))),
      remove_(new QPushButton(QStringLiteral("Remove"))), result_(new QLabel),
      passwordPlace_(new QLabel) {
    setObjectName(QStringLiteral("SyncAccountDlg"));
    setWindowTitle(QStringLiteral("Server Account"));
    QLabel* header = CreateDialogHeader(QStringLiteral("Tiny Tiny RSS Account"));
    auto* intro = new QLabel(QStringLiteral(
        "This database syncs its feeds, items and read state with the account: Update All and "
        "the timed reload bring the server's new items, and Feeds added in the Feed Wizard are "
        "subscribed on the server."));
    intro->setWordWrap(true);

    address_->setPlaceholderText(QStringLiteral("https://rss.example.org/tt-rss/"));
    password_->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Server address"), address_);
    form->addRow(QStringLiteral("User"), user_);
    form->addRow(QStringLiteral("Password"), password_);

    // Room for the longest answers (a server's reason, a file's path), so that the dialog keeps
    // its size as they come and go.
    for (auto [line, lines] : {std::pair{result_, 3}, std::pair{passwordPlace_, 4}}) {
        line->setWordWrap(true);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        line->setMinimumHeight(line->fontMetrics().lineSpacing() * lines);
    }
    result_->setObjectName(QStringLiteral("TestResult"));
    passwordPlace_->setObjectName(QStringLiteral("PasswordPlace"));
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(test_);
    testRow->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(save_, QDialogButtonBox::ApplyRole);
    buttons->addButton(remove_, QDialogButtonBox::DestructiveRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(test_, &QPushButton::clicked, this, &CSyncAccountDlg::Test);
    connect(save_, &QPushButton::clicked, this, &CSyncAccountDlg::Save);
    connect(remove_, &QPushButton::clicked, this, &CSyncAccountDlg::Remove);
    connect(&task_, &CBackgroundTask::runningChanged, this, &CSyncAccountDlg::ShowBusy);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(intro);
    layout->addSpacing(6);
    layout->addLayout(form);
    layout->addLayout(testRow);
    layout->addWidget(result_);
    layout->addWidget(passwordPlace_);
    layout->addStretch(1);
    layout->addWidget(buttons);
    setMinimumWidth(480);
    LoadAccount();
}

void CSyncAccountDlg::LoadAccount() {
    const auto account = db_.GetAccount();
    remove_->setEnabled(account.has_value());
    if (!account) {
        passwordPlace_->setText(NoAccountYet);
        return;
    }
    address_->setText(account->Url);
    user_->setText(account->UserName);
    CSyncAccount stored(db_);
    if (const auto password = stored.StoredPassword())
        password_->setText(password->text);
    passwordPlace_->setText(stored.PasswordPlace());
}

CAccountRecord CSyncAccountDlg::Entered() const {
    return {Kind, address_->text().trimmed(), user_->text().trimmed(), 0};
}

void CSyncAccountDlg::CheckLogin(std::function<void(bool)> then) {
    if (address_->text().trimmed().isEmpty() || user_->text().trimmed().isEmpty()) {
        result_->setText(QStringLiteral("Enter the server's address and your user name."));
        return;
    }
    result_->setText(QStringLiteral("Logging in..."));
    auto found = std::make_shared<std::pair<bool, QString>>();
    task_.Start(
        [account = Entered(), password = password_->text(), found](const std::atomic<bool>&) {
            found->first = CSyncAccount::Check(account, password, found->second);
        },
        [this, found, then = std::move(then)] {
            answer_ = found->second;
            // The server's reasons are phrased to follow a colon; the answer to a login is a
            // sentence of its own.
            result_->setText(found->first ? answer_
                                          : QStringLiteral("Not logged in: %1.").arg(answer_));
            then(found->first);
        });
}

void CSyncAccountDlg::Test() {
    CheckLogin([](bool) {});
}

void CSyncAccountDlg::Save() {
    CheckLogin([this](bool loggedIn) {
        if (!loggedIn)
            return;
        QString message;
        if (!CSyncAccount(db_).Keep(Entered(), password_->text(), message)) {
            result_->setText(QStringLiteral("Not saved: %1.").arg(message));
            return;
        }
        result_->setText(answer_ + QStringLiteral(" Saved: Update All now syncs the account."));
        passwordPlace_->setText(message);
        remove_->setEnabled(true);
    });
}

void CSyncAccountDlg::Remove() {
    if (!CurrentPrompt().AskYesNo(
            QStringLiteral("Remove the server account from this database?\n\nIts feeds and "
                           "items stay, downloaded from their sites from now on; changes not "
                           "yet sent to the server are dropped."),
            QStringLiteral("Server Account")))
        return;
    QString message;
    CSyncAccount(db_).Remove(message);
    result_->setText(message);
    remove_->setEnabled(db_.GetAccount().has_value());
    passwordPlace_->setText(NoAccountYet);
}

void CSyncAccountDlg::ShowBusy(bool busy) {
    for (QWidget* widget :
         std::initializer_list<QWidget*>{test_, save_, remove_, address_, user_, password_})
        widget->setEnabled(!busy);
    if (!busy)
        remove_->setEnabled(db_.GetAccount().has_value());
}
