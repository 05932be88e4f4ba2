// The feed wizard's pages: their texts, fields and buttons, and how they are filled.
#include "config/AppSettings.h"
#include "feeds/FeedListing.h"
#include "gui/dialogs/FeedPropertiesDlg.h"
#include "gui/wizard/FeedWizardDlg.h"
#include "store/RssDatabase.h"
#include "text/MarkupText.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
struct MethodChoice {
    const char* text;
    const char* description;
};
// In the order of the Method numbers.
const MethodChoice MethodChoices[] = {
    {"Add a New Feed",
     "Option for adding a new Feed to Quillpost by directly entering a Feed Url."},
    {"Select from Online Listing",
     "Option for adding a new Feed to Quillpost from an online listing of Feeds.  Note: This is a "
     "limited listing during this Beta period, but will be expanded."},
    {"Import Subscription from Web",
     "Option for adding new Feeds to Quillpost from a web-based OPML Subscription."},
    {"Import Subscription from File",
     "Option for adding new Feeds to Quillpost from an OPML Subscription file on this computer."},
    {"Reload/Delete a Subscription",
     "Option for refreshing/deleting the Feeds for an existing Subscription."},
    {"Feed Search",
     "Use a Feed Search service to find Feeds based on keywords.  Note: the service is set in "
     "the configuration file and may not be available."},
};

QLabel* Headline(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

QLabel* Paragraph(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

// The line under a list that describes what is selected in it.
QLabel* DescriptionLine(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setMinimumHeight(label->fontMetrics().lineSpacing() * 3 + 12);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMargin(6);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QListWidget* List(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setAlternatingRowColors(true);
    list->setUniformItemSizes(true);
    return list;
}

// The clipboard's text when it is a feed's web address.
QString ClipboardFeedAddress() {
    const auto request = CFeedWizard::RequestFor(QApplication::clipboard()->text());
    return request && request->method == WizardRequest::AddFeed ? request->address : QString();
}
} // namespace

QWidget* CFeedWizardDlg::BuildMethodPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Headline(QStringLiteral("Select an Option")));
    layout->addSpacing(4);
    methods_ = new QButtonGroup(page);
    for (int method = AddFeedMethod; method <= SearchMethod; ++method) {
        auto* choice = new QRadioButton(QString::fromUtf8(MethodChoices[method].text));
        choice->setObjectName(QStringLiteral("MethodChoice%1").arg(method));
        methods_->addButton(choice, method);
        layout->addWidget(choice);
    }
    methodDescription_ = DescriptionLine("MethodDescription");
    layout->addSpacing(8);
    layout->addWidget(methodDescription_);
    layout->addStretch(1);
    connect(methods_, &QButtonGroup::idToggled, this, [this](int method, bool checked) {
        if (checked)
            methodDescription_->setText(QString::fromUtf8(MethodChoices[method].description));
    });
    methods_->button(AddFeedMethod)->setChecked(true);
    return page;
}

QWidget* CFeedWizardDlg::BuildAddressPage() {
    auto* page = new QWidget;
    addressPrompt_ = Headline(QString());
    addressLabel_ = new QLabel;
    address_ = new QLineEdit;
    address_->setObjectName(QStringLiteral("AddressEdit"));
    addressLabel_->setBuddy(address_);
    paste_ = new QPushButton(QStringLiteral("Paste from Clipboard"));
    paste_->setObjectName(QStringLiteral("PasteButton"));
    paste_->setAutoDefault(false);
    browse_ = new QPushButton(QStringLiteral("Browse..."));
    browse_->setObjectName(QStringLiteral("BrowseButton"));
    browse_->setAutoDefault(false);
    later_ = new QCheckBox(QStringLiteral("Download Feed data at a later time"));
    later_->setObjectName(QStringLiteral("LaterBox"));

    auto* layout = new QGridLayout(page);
    layout->addWidget(addressPrompt_, 0, 0, 1, 2);
    layout->setRowMinimumHeight(1, 10);
    layout->addWidget(addressLabel_, 2, 0, 1, 2);
    layout->addWidget(address_, 3, 0, 1, 2);
    layout->addWidget(paste_, 4, 1, Qt::AlignRight);
    layout->addWidget(browse_, 4, 1, Qt::AlignRight);
    layout->setRowMinimumHeight(5, 10);
    layout->addWidget(later_, 6, 0, 1, 2);
    layout->setRowStretch(7, 1);
    layout->setColumnStretch(0, 1);

    connect(paste_, &QPushButton::clicked, this, [this] {
        address_->clear();
        address_->paste();
        address_->setFocus();
    });
    connect(browse_, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(
            this, QStringLiteral("Select OPML Subscription File"), address_->text(),
            QStringLiteral("OPML Subscription (*.opml)"));
        if (!file.isEmpty())
            address_->setText(file);
    });
    return page;
}

// The three forms of the page; `address` is what it starts with, else the form's own start.
void CFeedWizardDlg::PrepareAddressPage(const QString& address) {
    const bool fromFile = method_ == FileSubscriptionMethod;
    if (method_ == AddFeedMethod) {
        addressPrompt_->setText(QStringLiteral("Enter the Feed Url"));
        addressLabel_->setText(QStringLiteral("Enter Feed Url"));
    } else if (fromFile) {
        addressPrompt_->setText(
            QStringLiteral("Enter the path to the OPML Subscription File on this computer"));
        addressLabel_->setText(QStringLiteral("Enter Location of Subscription File"));
    } else {
        addressPrompt_->setText(QStringLiteral("Enter the OPML Subscription Url"));
        addressLabel_->setText(QStringLiteral("Enter Subscription Url"));
    }
    paste_->setVisible(!fromFile);
    browse_->setVisible(fromFile);
    later_->setVisible(method_ == AddFeedMethod);
    later_->setChecked(false);
    QString start = address;
    if (start.isEmpty() && method_ == AddFeedMethod)
        start = ClipboardFeedAddress();
    if (start.isEmpty() && !fromFile)
        start = QStringLiteral("http://www.");
    address_->setText(start);
}

QWidget* CFeedWizardDlg::BuildPropertiesPage() {
    propertiesHost_ = new QWidget;
    new QVBoxLayout(propertiesHost_);
    return propertiesHost_;
}

// The properties of the feed just read, made afresh each time the page is reached, so that a
// feed read again after Back starts from its own values.
void CFeedWizardDlg::PreparePropertiesPage() {
    delete properties_;
    properties_ = new CFeedPropertiesDlg(db_, feed_.record, propertiesHost_);
    // The wizard's own strip names the step.
    if (auto* strip = properties_->findChild<QLabel*>(QStringLiteral("TitleStrip"),
                                                      Qt::FindDirectChildrenOnly))
        strip->hide();
    properties_->layout()->setContentsMargins(0, 0, 0, 0);
    propertiesHost_->layout()->addWidget(properties_->AsPage());
}

QWidget* CFeedWizardDlg::BuildListingPage() {
    auto* page = new QWidget;
    categories_ = new QComboBox;
    categories_->setObjectName(QStringLiteral("CategoryChooser"));
    listingFeeds_ = List("ListingFeeds");
    listingDescription_ = DescriptionLine("ListingDescription");
    auto* layout = new QVBoxLayout(page);
    auto* category = new QLabel(QStringLiteral("Category"));
    category->setBuddy(categories_);
    layout->addWidget(category);
    layout->addWidget(categories_);
    layout->addSpacing(4);
    layout->addWidget(listingFeeds_, 1);
    layout->addWidget(listingDescription_);
    connect(categories_, &QComboBox::currentIndexChanged, this,
            &CFeedWizardDlg::ShowListingCategory);
    connect(listingFeeds_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(listed_.size()))
            listingDescription_->setText(listed_[row].description);
    });
    return page;
}

// The listing is read again from its file each time the page opens.
void CFeedWizardDlg::FillListingCategories() {
    const QSignalBlocker blocker(categories_);
    categories_->clear();
    CXmlDocument listing;
    if (listing.LoadFile(TheAppSettings().OnlineListingPath()))
        categories_->addItems(ListingCategories(listing));
    categories_->setCurrentIndex(categories_->count() > 0 ? 0 : -1);
    ShowListingCategory(categories_->currentIndex());
}

void CFeedWizardDlg::ShowListingCategory(int position) {
    listed_.clear();
    CXmlDocument listing;
    if (position >= 0 && listing.LoadFile(TheAppSettings().OnlineListingPath()))
        listed_ = ListingFeeds(listing, position);
    const QSignalBlocker blocker(listingFeeds_);
    listingFeeds_->clear();
    for (const ListedFeed& feed : listed_)
        listingFeeds_->addItem(feed.label);
    listingFeeds_->setCurrentRow(-1);
    listingDescription_->setText(QStringLiteral("Please Select a Feed"));
}

QWidget* CFeedWizardDlg::BuildSubscriptionTitlePage() {
    auto* page = new QWidget;
    subscriptionTitle_ = new QLineEdit;
    subscriptionTitle_->setObjectName(QStringLiteral("SubscriptionTitleEdit"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Paragraph(QStringLiteral(
        "Enter a Title for the Subscription. This title will also serve as a new View for "
        "grouping your Subscription feeds in Quillpost.")));
    layout->addSpacing(6);
    layout->addWidget(subscriptionTitle_);
    layout->addSpacing(12);
    layout->addWidget(Paragraph(QStringLiteral(
        "After pressing \"Done\", the Subscription feeds will be added to Quillpost.  However, "
        "the feeds will not have any content data until you Reload Feed Data.")));
    layout->addStretch(1);
    return page;
}

void CFeedWizardDlg::PrepareSubscriptionTitlePage() {
    subscriptionTitle_->setText(DecodeEntities(subscription_.title));
}

QWidget* CFeedWizardDlg::BuildReloadPage() {
    auto* page = new QWidget;
    subscriptions_ = List("SubscriptionList");
    deleteSubscription_ = new QPushButton(QStringLiteral("Delete Subscription"));
    deleteSubscription_->setObjectName(QStringLiteral("DeleteSubscriptionButton"));
    deleteSubscription_->setAutoDefault(false);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Headline(QStringLiteral("Please Select a Subscription to update.")));
    layout->addWidget(subscriptions_, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(deleteSubscription_);
    layout->addLayout(row);
    connect(deleteSubscription_, &QPushButton::clicked, this, &CFeedWizardDlg::DeleteSubscription);
    return page;
}

void CFeedWizardDlg::FillSubscriptions() {
    subscriptions_->clear();
    db_.LoadSubscriptionList();
    for (const CSubscriptionRecord& subscription : db_.SubscriptionList) {
        auto* item = new QListWidgetItem(subscription.Title, subscriptions_);
        item->setData(Qt::UserRole, subscription.SubscriptionID);
    }
}

QWidget* CFeedWizardDlg::BuildSearchPage() {
    auto* page = new QWidget;
    searchTerm_ = new QLineEdit;
    searchTerm_->setObjectName(QStringLiteral("SearchEdit"));
    go_ = new QPushButton(QStringLiteral("Go"));
    go_->setObjectName(QStringLiteral("GoButton"));
    results_ = List("SearchResults");
    resultDescription_ = DescriptionLine("ResultDescription");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Paragraph(QStringLiteral(
        "To perform an online search, please enter a search term and then press \"Go\" button.")));
    auto* row = new QHBoxLayout;
    row->addWidget(searchTerm_, 1);
    row->addWidget(go_);
    layout->addLayout(row);
    layout->addWidget(results_, 1);
    layout->addWidget(resultDescription_);
    connect(go_, &QPushButton::clicked, this, &CFeedWizardDlg::Search);
    connect(results_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(listed_.size()))
            resultDescription_->setText(listed_[row].description);
    });
    return page;
}

void CFeedWizardDlg::FillSearchResults() {
    const QSignalBlocker blocker(results_);
    results_->clear();
    for (const ListedFeed& result : listed_)
        results_->addItem(result.label);
    results_->setCurrentRow(-1);
}
