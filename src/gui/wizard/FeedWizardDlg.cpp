// The feed wizard window: its pages in order, Back, Cancel and Next/Done.

#include "gui/wizard/FeedWizardDlg.h"

#include "gui/desktop/UiThread.h"
#include "store/Prompt.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
struct PageTitle {
    CFeedWizardDlg::Page page;
    const char* title;
};
const PageTitle PageTitles[] = {
    {CFeedWizardDlg::MethodPage, "Feed Wizard - Select Method"},
    {CFeedWizardDlg::PropertiesPage, "FW - Feed Properties (Step 3 of 3)"},
    {CFeedWizardDlg::ListingPage, "FW - Online Listing(Step 2 of 3)"},
    {CFeedWizardDlg::SubscriptionTitlePage, "FW - Add Subscription (Step 3 of 3)"},
    {CFeedWizardDlg::ReloadPage, "FW - Reload Subscription (Step 2 of 2)"},
    {CFeedWizardDlg::SearchPage, "FW - Feed Search (Step 2 of 3)"},
};

QString TitleOf(CFeedWizardDlg::Page page, CFeedWizardDlg::Method method) {
    if (page == CFeedWizardDlg::AddressPage)
        return method == CFeedWizardDlg::AddFeedMethod
                   ? QStringLiteral("FW - Enter Url (Step 2 of 3)")
                   : QStringLiteral("FW - Add Subscription (Step 2 of 3)");
    for (const PageTitle& entry : PageTitles)
        if (entry.page == page)
            return QString::fromUtf8(entry.title);
    return {};
}
} // namespace

CFeedWizardDlg::CFeedWizardDlg(CRssDatabase& db, ConnectivityProbe probe, QWidget* parent)
    : QDialog(parent), db_(db), downloads_(db, std::move(probe)), wizard_(db, downloads_),
      titleStrip_(new QLabel), pages_(new QStackedWidget), status_(new QLabel),
      back_(new QPushButton(QStringLiteral("Back"))),
      cancel_(new QPushButton(QStringLiteral("Cancel"))),
      next_(new QPushButton(QStringLiteral("Next"))) {
    setObjectName(QStringLiteral("FeedWizardDlg"));
    setWindowTitle(QStringLiteral("Feed Wizard"));
    titleStrip_->setObjectName(QStringLiteral("TitleStrip"));
    titleStrip_->setStyleSheet(QStringLiteral("QLabel { background: palette(highlight); color: "
                                              "palette(highlighted-text); padding: 8px 14px; "
                                              "font-weight: bold; }"));
    status_->setObjectName(QStringLiteral("StatusLine"));
    status_->setWordWrap(true);
    back_->setObjectName(QStringLiteral("BackButton"));
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    next_->setObjectName(QStringLiteral("NextButton"));
    next_->setDefault(true);
    back_->setAutoDefault(false);
    cancel_->setAutoDefault(false);

    // In the order of the Page numbers.
    for (QWidget* page :
         {BuildMethodPage(), BuildAddressPage(), BuildPropertiesPage(), BuildListingPage(),
          BuildSubscriptionTitlePage(), BuildReloadPage(), BuildSearchPage()}) {
        page->layout()->setContentsMargins(18, 14, 18, 8);
        pages_->addWidget(page);
    }

    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(12, 8, 12, 12);
    buttons->addWidget(back_);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(next_);
    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(18, 0, 18, 6);
    statusRow->addWidget(status_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(titleStrip_);
    layout->addWidget(pages_, 1);
    layout->addLayout(statusRow);
    layout->addWidget(rule);
    layout->addLayout(buttons);

    connect(back_, &QPushButton::clicked, this, &CFeedWizardDlg::OnBack);
    connect(cancel_, &QPushButton::clicked, this, &CFeedWizardDlg::reject);
    connect(next_, &QPushButton::clicked, this, &CFeedWizardDlg::OnNext);
    connect(&task_, &CBackgroundTask::runningChanged, this, [this](bool running) {
        if (running)
            setCursor(Qt::BusyCursor);
        else
            unsetCursor();
        UpdateButtons();
    });
    searchTerm_->installEventFilter(this);
    resize(540, 460);
    setMinimumSize(460, 400);
    ShowPage(MethodPage);
}

CFeedWizardDlg::~CFeedWizardDlg() = default;

void CFeedWizardDlg::Begin(const WizardRequest& request) {
    method_ =
        request.method == WizardRequest::SubscribeFromFile ? FileSubscriptionMethod : AddFeedMethod;
    methods_->button(method_)->setChecked(true);
    PrepareAddressPage(request.address);
    ShowPage(AddressPage);
}

void CFeedWizardDlg::ShowPage(Page page) {
    page_ = page;
    pages_->setCurrentIndex(page - MethodPage);
    titleStrip_->setText(TitleOf(page, method_));
    SetStatus(QString());
    UpdateButtons();
    if (QWidget* first = pages_->currentWidget()->nextInFocusChain();
        first && pages_->currentWidget()->isAncestorOf(first))
        first->setFocus();
}

void CFeedWizardDlg::UpdateButtons() {
    const bool busy = task_.IsRunning();
    back_->setEnabled(page_ != MethodPage && !busy);
    next_->setEnabled(!busy);
    const bool ends =
        page_ == PropertiesPage || page_ == SubscriptionTitlePage || page_ == ReloadPage;
    next_->setText(ends ? QStringLiteral("Done") : QStringLiteral("Next"));
    pages_->currentWidget()->setEnabled(!busy);
}

void CFeedWizardDlg::SetStatus(const QString& text) {
    status_->setText(text);
}

void CFeedWizardDlg::ShowFailure(const CFeedWizard::Result& result) {
    if (result.caption.isEmpty())
        SetStatus(result.error);
    else
        CurrentPrompt().ShowMessage(result.error, result.caption);
}

CFeedWizard::StatusLine CFeedWizardDlg::StatusTo(QLabel* line) {
    return [line](const QString& text) { RunOnUiThread([line, text] { line->setText(text); }); };
}

void CFeedWizardDlg::RunInBackground(std::function<void(const std::atomic<bool>&)> work,
                                     std::function<void()> done) {
    task_.Start(std::move(work), std::move(done));
}

void CFeedWizardDlg::OnNext() {
    if (task_.IsRunning())
        return;
    switch (page_) {
    case MethodPage:
        NextFromMethodPage();
        return;
    case AddressPage:
        NextFromAddressPage();
        return;
    case PropertiesPage:
        DoneOnPropertiesPage();
        return;
    case ListingPage:
        NextFromListingPage();
        return;
    case SubscriptionTitlePage:
        DoneOnSubscriptionTitlePage();
        return;
    case ReloadPage:
        DoneOnReloadPage();
        return;
    case SearchPage:
        NextFromSearchPage();
        return;
    }
}

void CFeedWizardDlg::OnBack() {
    if (task_.IsRunning())
        return;
    switch (page_) {
    case PropertiesPage:
        ShowPage(previousPage_);
        return;
    case SubscriptionTitlePage:
        ShowPage(AddressPage);
        return;
    default:
        ShowPage(MethodPage);
        return;
    }
}

bool CFeedWizardDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchTerm_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Search();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// A download under way is stopped first; what it fetched is not used.
void CFeedWizardDlg::reject() {
    task_.Cancel();
    QDialog::reject();
}
