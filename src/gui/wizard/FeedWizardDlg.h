// The feed wizard's window and its pages.

#pragma once

#include "app/FeedWizard.h"
#include "gui/desktop/BackgroundTask.h"
#include "net/DownloadManager.h"

#include <QDialog>
#include <vector>

class CFeedPropertiesDlg;
class CRssDatabase;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

// The feed wizard: adds a feed by its address, from the online listing or by a search, subscribes
// to an OPML list on the web or in a file, and reloads or deletes a subscription. One window
// whose pages follow each other with Back, Cancel and Next/Done; downloads run on a thread of
// their own while the page stays usable, and Cancel stops them.
class CFeedWizardDlg : public QDialog {
    Q_OBJECT
public:
    enum Page {
        MethodPage = 1,
        AddressPage,
        PropertiesPage,
        ListingPage,
        SubscriptionTitlePage,
        ReloadPage,
        SearchPage,
    };
    enum Method {
        AddFeedMethod,
        ListingMethod,
        WebSubscriptionMethod,
        FileSubscriptionMethod,
        ReloadMethod,
        SearchMethod,
    };

    CFeedWizardDlg(CRssDatabase& db, ConnectivityProbe probe, QWidget* parent = nullptr);
    ~CFeedWizardDlg() override;

    // Starts at the address page of the request's method with its address filled in.
    void Begin(const WizardRequest& request);

    // Whether the database was changed, even when the wizard was then cancelled.
    bool Changed() const { return changed_; }
    // Whether a feed was subscribed on the database's server account, which the next sync
    // brings in.
    bool FollowedOnServer() const { return followedOnServer_; }
    // The View of a subscription added by this run, else 0.
    qint32 NewSubscriptionView() const { return newSubscriptionView_; }
    Page CurrentPage() const { return page_; }
    Method CurrentMethod() const { return method_; }
    bool IsBusy() const { return task_.IsRunning(); }

    void reject() override;

protected:
    // Return in the search field searches; elsewhere it is Next.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the pages (FeedWizardPages.cpp).
    QWidget* BuildMethodPage();
    QWidget* BuildAddressPage();
    QWidget* BuildPropertiesPage();
    QWidget* BuildListingPage();
    QWidget* BuildSubscriptionTitlePage();
    QWidget* BuildReloadPage();
    QWidget* BuildSearchPage();
    void PrepareAddressPage(const QString& address);
    void PrepareSubscriptionTitlePage();
    void PreparePropertiesPage();
    void FillListingCategories();
    void ShowListingCategory(int position);
    void FillSubscriptions();
    void FillSearchResults();

    // Moving between pages (FeedWizardDlg.cpp).
    void ShowPage(Page page);
    void OnNext();
    void OnBack();
    void UpdateButtons();
    void SetStatus(const QString& text);
    // Shows a failed step: a message box when it has a caption, else the status line.
    void ShowFailure(const CFeedWizard::Result& result);
    // Runs a step off the user-interface thread; `done` runs when it ended, not when cancelled.
    void RunInBackground(std::function<void(const std::atomic<bool>&)> work,
                         std::function<void()> done);
    CFeedWizard::StatusLine StatusTo(QLabel* line);

    // What Next and Done do on each page (FeedWizardSteps.cpp).
    void NextFromMethodPage();
    void NextFromAddressPage();
    void NextFromListingPage();
    void NextFromSearchPage();
    void FetchNewFeed(const QString& url, bool later, const QString& duplicate);
    // With a server account the feed is subscribed on the server, as the account's feeds come
    // from there.
    void FollowOnServer(const QString& url);
    void DoneOnPropertiesPage();
    void DoneOnSubscriptionTitlePage();
    void DoneOnReloadPage();
    void DeleteSubscription();
    void Search();

    CRssDatabase& db_;
    CDownloadManager downloads_;
    CFeedWizard wizard_;

    Page page_ = MethodPage;
    Page previousPage_ = MethodPage; // the page that led to the feed's properties
    Method method_ = AddFeedMethod;
    FetchedFeed feed_;
    FetchedSubscription subscription_;
    std::vector<ListedFeed> listed_; // the category's feeds, or the search results
    bool changed_ = false;
    bool followedOnServer_ = false;
    qint32 newSubscriptionView_ = 0;

    QLabel* titleStrip_;
    QStackedWidget* pages_;
    QLabel* status_;
    QPushButton* back_;
    QPushButton* cancel_;
    QPushButton* next_;

    // Page 1
    QButtonGroup* methods_ = nullptr;
    QLabel* methodDescription_ = nullptr;
    // Page 2
    QLabel* addressPrompt_ = nullptr;
    QLabel* addressLabel_ = nullptr;
    QLineEdit* address_ = nullptr;
    QPushButton* paste_ = nullptr;
    QPushButton* browse_ = nullptr;
    QCheckBox* later_ = nullptr;
    // Page 3
    QWidget* propertiesHost_ = nullptr;
    CFeedPropertiesDlg* properties_ = nullptr;
    // Page 4
    QComboBox* categories_ = nullptr;
    QListWidget* listingFeeds_ = nullptr;
    QLabel* listingDescription_ = nullptr;
    // Page 5
    QLineEdit* subscriptionTitle_ = nullptr;
    // Page 6
    QListWidget* subscriptions_ = nullptr;
    QPushButton* deleteSubscription_ = nullptr;
    // Page 7
    QLineEdit* searchTerm_ = nullptr;
    QPushButton* go_ = nullptr;
    QListWidget* results_ = nullptr;
    QLabel* resultDescription_ = nullptr;

    // Last, so that its thread has ended before the downloads it uses go.
    CBackgroundTask task_;
};
