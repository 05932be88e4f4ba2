#include "gui/FeedListScreen.h"

#include "config/RegistrySettings.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QLabel>
#include <QListView>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

CFeedListScreen::CFeedListScreen(QWidget* parent)
    : CScreen(Id, QStringLiteral("RSSFeeds"), parent),
      strip_(MakeTitleStrip(QStringLiteral("Listing is being loaded..."))),
      body_(new QStackedWidget), list_(new QListView),
      emptyNote_(MakeNote(QStringLiteral(
          "<p><b>No Feeds to show</b></p><p>Add Feeds with the Feed Wizard, or open another "
          "database through <i>Options &rarr; RSS Database...</i></p>"))) {
    list_->setModel(&model_);
    list_->setUniformItemSizes(true);
    list_->setIconSize(QSize(16, 16));
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setStyleSheet(QStringLiteral("QListView::item { padding: 3px 4px; }"));
    body_->addWidget(list_);
    body_->addWidget(emptyNote_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip_);
    layout->addWidget(body_, 1);
    connect(list_, &QListView::activated, this, [this](const QModelIndex& index) {
        emit feedActivated(index.data(CFeedListModel::FeedIdRole).toInt());
    });
}

QString CFeedListScreen::StripText() const {
    return strip_->text();
}

qint32 CFeedListScreen::SelectedFeedID() const {
    const QModelIndex current = list_->currentIndex();
    return current.isValid() ? current.data(CFeedListModel::FeedIdRole).toInt() : 0;
}

void CFeedListScreen::Clear() {
    model_.Clear();
    strip_->setText(QStringLiteral("Show All Feeds"));
    ShowRowsOrEmptyNote();
}

void CFeedListScreen::ShowRowsOrEmptyNote() {
    body_->setCurrentWidget(model_.rowCount() > 0 ? static_cast<QWidget*>(list_) : emptyNote_);
}

void CFeedListScreen::Refresh(CRssDatabase& db) {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const qint32 wantedViewID = store.Read(Key::FeedViewCurrentViewID);
    const auto view = std::find_if(db.ViewList.begin(), db.ViewList.end(),
                                   [wantedViewID](const CViewRecord& record) {
                                       return wantedViewID != 0 && record.ViewID == wantedViewID;
                                   });
    const qint32 viewID = view == db.ViewList.end() ? 0 : view->ViewID;
    strip_->setText(viewID == 0 ? QStringLiteral("Show All Feeds")
                                : QStringLiteral("Filter: ") + view->Label);
    store.Write(Key::FeedViewCurrentViewID, viewID);

    model_.Clear();
    std::vector<CFeedRecord> shown;
    {
        WaitCursor wait;
        if (viewID == 0) {
            shown = db.FeedList;
        } else {
            // A View lists its enabled member Feeds, in the order of the list of all Feeds.
            const QList<qint32> members = db.GetViewFeedIDs(viewID).value_or(QList<qint32>());
            std::copy_if(db.FeedList.begin(), db.FeedList.end(), std::back_inserter(shown),
                         [&members](const CFeedRecord& feed) {
                             return feed.Status != 1 && members.contains(feed.FeedID);
                         });
        }
    }
    model_.SetFeeds(shown);
    ShowRowsOrEmptyNote();
    if (model_.rowCount() > 0) {
        list_->setCurrentIndex(model_.index(0));
        list_->scrollToTop();
    }
}

void CFeedListScreen::OnNavigationKey(NavigationKey key) {
    switch (key) {
    case NavigationKey::Up:
        MoveSelection(list_, -1);
        return;
    case NavigationKey::Down:
        MoveSelection(list_, 1);
        return;
    case NavigationKey::Action:
        if (list_->currentIndex().isValid())
            emit feedActivated(SelectedFeedID());
        return;
    case NavigationKey::Left:
        emit itemListRequested();
        return;
    case NavigationKey::Right:
        // The views menu comes with the Feed management commands.
        return;
    }
}
