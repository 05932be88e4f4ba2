// What Next, Done, Go and Delete do on the feed wizard's pages. Downloads and the reading of
// what they brought run off the user-interface thread; the database is used on it only.
#include "app/Properties.h"
#include "app/UserCommands.h"
#include "config/RegistrySettings.h"
#include "gui/dialogs/FeedPropertiesDlg.h"
#include "gui/wizard/FeedWizardDlg.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"
#include "sync/SyncAccount.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <memory>

namespace {
void Notice(const QString& text) {
    CurrentPrompt().ShowMessage(text, QStringLiteral("Notice"));
}
} // namespace

void CFeedWizardDlg::NextFromMethodPage() {
    method_ = Method(methods_->checkedId());
    switch (method_) {
    case AddFeedMethod:
    case WebSubscriptionMethod:
    case FileSubscriptionMethod:
        PrepareAddressPage(QString());
        ShowPage(AddressPage);
        return;
    case ListingMethod: {
        // Downloaded again each time, so that the listing is the current one.
        auto result = std::make_shared<CFeedWizard::Result>();
        RunInBackground(
            [this, result, status = StatusTo(status_)](const std::atomic<bool>& abort) {
                *result = wizard_.FetchListing(&abort, status);
            },
            [this, result] {
                if (!result->ok())
                    return ShowFailure(*result);
                FillListingCategories();
                ShowPage(ListingPage);
            });
        return;
    }
    case ReloadMethod:
        FillSubscriptions();
        ShowPage(ReloadPage);
        return;
    case SearchMethod:
        listed_.clear();
        FillSearchResults();
        resultDescription_->clear();
        ShowPage(SearchPage);
        return;
    }
}

void CFeedWizardDlg::NextFromAddressPage() {
    const QString address = address_->text();
    if (method_ == AddFeedMethod)
        return FetchNewFeed(address, later_->isChecked(), CFeedWizard::DuplicateFeedUrl());
    const bool fromFile = method_ == FileSubscriptionMethod;
    if (const CFeedWizard::Result checked = wizard_.CheckNewSubscription(address, fromFile);
        !checked.ok())
        return ShowFailure(checked);
    auto fetched = std::make_shared<FetchedSubscription>();
    auto result = std::make_shared<CFeedWizard::Result>();
    RunInBackground(
        [this, address, fromFile, fetched, result,
         status = StatusTo(status_)](const std::atomic<bool>& abort) {
            *result = wizard_.FetchSubscription(address, fromFile, *fetched, &abort, status);
        },
        [this, fetched, result] {
            if (!result->ok())
                return ShowFailure(*result);
            subscription_ = *fetched;
            // A list from the web is named by at most 100 characters of its title.
            if (!subscription_.fromFile)
                subscription_.title = subscription_.title.left(100);
            PrepareSubscriptionTitlePage();
            ShowPage(SubscriptionTitlePage);
        });
}

// The duplicate check here, the download and reading off the thread, then the properties.
void CFeedWizardDlg::FetchNewFeed(const QString& url, bool later, const QString& duplicate) {
    if (const CFeedWizard::Result checked = wizard_.CheckNewFeed(url, duplicate); !checked.ok())
        return ShowFailure(checked);
    if (db_.GetAccount())
        return FollowOnServer(url);
    auto fetched = std::make_shared<FetchedFeed>();
    auto result = std::make_shared<CFeedWizard::Result>();
    RunInBackground(
        [this, url, later, fetched, result,
         status = StatusTo(status_)](const std::atomic<bool>& abort) {
            *result = wizard_.FetchFeed(url, later, *fetched, &abort, status);
        },
        [this, fetched, result] {
            if (!result->ok())
                return ShowFailure(*result);
            feed_ = std::move(*fetched);
            previousPage_ = page_;
            PreparePropertiesPage();
            ShowPage(PropertiesPage);
        });
}

void CFeedWizardDlg::FollowOnServer(const QString& url) {
    // The password is read here, where the desktop's secret store answers; the server is
    // asked off the thread.
    QString message;
    std::shared_ptr<IFeedSource> source = CSyncAccount(db_).Source(message);
    if (!source)
        return ShowFailure({QStringLiteral("The server account cannot be used: %1.").arg(message),
                            QStringLiteral("Server Account")});
    SetStatus(QStringLiteral("Subscribing on the server..."));
    auto answer = std::make_shared<std::pair<bool, QString>>();
    RunInBackground(
        [source, url, answer](const std::atomic<bool>&) {
            answer->first = source->Subscribe(url, answer->second);
        },
        [this, answer] {
            if (!answer->first)
                return ShowFailure({QStringLiteral("The server did not subscribe to the feed: %1.")
                                        .arg(answer->second),
                                    QStringLiteral("Server Account")});
            followedOnServer_ = true;
            Notice(answer->second + QStringLiteral("\n\nThe account's sync brings it in now."));
            accept();
        });
}

void CFeedWizardDlg::NextFromListingPage() {
    const int row = listingFeeds_->currentRow();
    if (row < 0 || row >= int(listed_.size()))
        return Notice(QStringLiteral("Please Select a Feed."));
    FetchNewFeed(listed_[row].url, false, CFeedWizard::DuplicateListedFeed());
}

void CFeedWizardDlg::NextFromSearchPage() {
    const int row = results_->currentRow();
    if (row < 0 || row >= int(listed_.size()))
        return Notice(QStringLiteral("Please Select a Feed."));
    FetchNewFeed(listed_[row].url, false, CFeedWizard::DuplicateListedFeed());
}

void CFeedWizardDlg::Search() {
    if (task_.IsRunning())
        return;
    listed_.clear();
    FillSearchResults();
    auto found = std::make_shared<std::vector<ListedFeed>>();
    auto result = std::make_shared<CFeedWizard::Result>();
    RunInBackground(
        [this, term = searchTerm_->text(), found, result,
         status = StatusTo(resultDescription_)](const std::atomic<bool>& abort) {
            *result = wizard_.SearchFeeds(term, *found, &abort, status);
        },
        [this, found, result] {
            if (!result->ok()) {
                if (result->caption.isEmpty())
                    resultDescription_->setText(result->error);
                else
                    ShowFailure(*result);
                return;
            }
            listed_ = std::move(*found);
            FillSearchResults();
        });
}

void CFeedWizardDlg::DoneOnPropertiesPage() {
    properties_->TakeValues();
    CFeedWizard::Result result;
    {
        WaitCursor wait;
        result = wizard_.AddFetchedFeed(feed_, properties_->EditedFeed(), properties_->ViewIDs());
    }
    if (!result.ok())
        return ShowFailure(result);
    changed_ = true;
    if (properties_->ExtendedDataSwitchedOn())
        OfferExtendedDataPurge(db_, result.id);
    accept();
}

void CFeedWizardDlg::DoneOnSubscriptionTitlePage() {
    const QString title = subscriptionTitle_->text().left(100);
    if (title.isEmpty())
        return CurrentPrompt().ShowMessage(QStringLiteral("Please enter a Title"),
                                           QStringLiteral("Missing Data"));
    SetStatus(QStringLiteral("Processing Subscription Data..."));
    CFeedWizard::Result result;
    {
        WaitCursor wait;
        result = wizard_.AddSubscription(subscription_, title);
    }
    if (!result.ok())
        return ShowFailure(result);
    changed_ = true;
    newSubscriptionView_ = result.viewID;
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    store.Write(Key::ItemViewCurrentViewID, result.viewID);
    store.Write(Key::ItemViewCurrentFeedID, 0);
    store.Write(Key::ItemViewAllFeeds, 0);
    store.Write(Key::FeedViewCurrentViewID, result.viewID);
    accept();
}

void CFeedWizardDlg::DoneOnReloadPage() {
    QListWidgetItem* selected = subscriptions_->currentItem();
    const auto subscription =
        selected ? db_.GetSubscription(selected->data(Qt::UserRole).toInt()) : std::nullopt;
    if (!subscription)
        return Notice(QStringLiteral("Please select a Subscription to update"));
    auto fetched = std::make_shared<FetchedSubscription>();
    auto result = std::make_shared<CFeedWizard::Result>();
    RunInBackground(
        [this, address = subscription->SubscriptionUrl, fromFile = subscription->IsFromFile,
         fetched, result, status = StatusTo(status_)](const std::atomic<bool>& abort) {
            *result = wizard_.FetchSubscription(address, fromFile, *fetched, &abort, status);
        },
        [this, id = subscription->SubscriptionID, fetched, result] {
            if (!result->ok())
                return ShowFailure(*result);
            SetStatus(QStringLiteral("Rebuilding Feed Data Listing..."));
            CFeedWizard::Result rebuilt;
            {
                WaitCursor wait;
                rebuilt = wizard_.RefreshSubscription(id, *fetched);
            }
            if (!rebuilt.ok())
                return ShowFailure(rebuilt);
            SetStatus(QStringLiteral("Status: Success"));
            changed_ = true;
            accept();
        });
}

void CFeedWizardDlg::DeleteSubscription() {
    QListWidgetItem* selected = subscriptions_->currentItem();
    if (!selected)
        return Notice(QStringLiteral("Please select a Subscription to delete."));
    if (DeleteSubscriptionCommand(db_, selected->data(Qt::UserRole).toInt()) ==
        CommandOutcome::Declined)
        return;
    changed_ = true;
    FillSubscriptions();
}
