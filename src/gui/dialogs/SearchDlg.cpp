// The "Database Search" dialog: searching items and keeping the term as the Search Results View.

#include "gui/dialogs/SearchDlg.h"

#include "config/RegistrySettings.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CSearchDlg::CSearchDlg(CRssDatabase& db, QWidget* parent)
    : QDialog(parent), db_(db), term_(new QLineEdit),
      byTitle_(new QCheckBox(QStringLiteral("search Title field"))),
      byKeywords_(new QCheckBox(QStringLiteral("search Keywords field"))),
      byText_(new QCheckBox(QStringLiteral("search Description field"))),
      go_(new QPushButton(QStringLiteral("Go"))), results_(new QListWidget), status_(new QLabel),
      count_(new QLabel), search_(new CDatabaseSearch(this)) {
    setObjectName(QStringLiteral("SearchDlg"));
    setWindowTitle(QStringLiteral("Database Search"));
    auto* note = new QLabel(QStringLiteral("To search the database, please enter a search term and "
                                           "then press \"Go\" button."));
    note->setWordWrap(true);
    auto* termRow = new QHBoxLayout;
    termRow->addWidget(term_, 1);
    termRow->addWidget(go_);
    for (QCheckBox* box : {byTitle_, byKeywords_, byText_})
        box->setChecked(true);
    results_->setObjectName(QStringLiteral("SearchResults"));
    results_->setUniformItemSizes(true);
    status_->setObjectName(QStringLiteral("SearchStatus"));
    status_->setWordWrap(true);
    // "Go" is the button that Return presses while the term is edited, not OK.
    go_->setAutoDefault(true);
    connect(term_, &QLineEdit::returnPressed, go_, &QPushButton::click);
    connect(go_, &QPushButton::clicked, this, &CSearchDlg::Search);
    count_->setObjectName(QStringLiteral("SearchCount"));
    connect(search_, &CDatabaseSearch::shownFound, this, &CSearchDlg::ShowFound);
    connect(search_, &CDatabaseSearch::counted, this, &CSearchDlg::ShowCount);
    connect(search_, &CDatabaseSearch::finished, this, &CSearchDlg::OnSearchFinished);
    // Typing on makes the running search one of a term no longer wanted.
    connect(term_, &QLineEdit::textEdited, this, [this] {
        if (search_->IsRunning())
            status_->clear();
        search_->Cancel();
        acceptWhenDone_ = false;
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSearchDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(termRow);
    layout->addWidget(byTitle_);
    layout->addWidget(byKeywords_);
    layout->addWidget(byText_);
    layout->addWidget(results_, 1);
    layout->addWidget(status_);
    layout->addWidget(count_);
    layout->addWidget(buttons);
    term_->setFocus();
    resize(440, 420);
}

QString CSearchDlg::StatusText() const {
    return status_->text();
}

QString CSearchDlg::CountText() const {
    return count_->text();
}

CDatabaseSearch::Request CSearchDlg::CurrentRequest() const {
    return {term_->text(), {byTitle_->isChecked(), byKeywords_->isChecked(), byText_->isChecked()}};
}

namespace {

bool SameRequest(const CDatabaseSearch::Request& a, const CDatabaseSearch::Request& b) {
    return a.text == b.text && a.places.title == b.places.title &&
           a.places.keywords == b.places.keywords && a.places.text == b.places.text;
}

} // namespace

void CSearchDlg::Search() {
    if (term_->text().isEmpty()) {
        CurrentPrompt().ShowMessage(QStringLiteral("Please enter a search term"),
                                    QStringLiteral("Notice"));
        return;
    }
    results_->clear();
    count_->clear();
    shown_.clear();
    counts_.reset();
    found_ = CurrentRequest();
    status_->setText(QStringLiteral("Status: Performing Search..."));
    search_->Start(db_.DatabasePath(), *found_);
}

void CSearchDlg::ShowFound(const CDatabaseSearch::Shown& items) {
    shown_ = items;
    QStringList titles;
    for (const CFeedItemRecord& item : items)
        titles << item.Title;
    results_->addItems(titles);
    status_->setText(titles.isEmpty()
                         ? QStringLiteral("Status: No Matching Items found.  Try again.")
                         : QStringLiteral("Press \"Ok\", to view your search results."));
}

void CSearchDlg::ShowCount(const CMatchCounts& counts) {
    counts_ = counts;
    if (counts.all > 0)
        count_->setText(QStringLiteral("%1 items match; the newest %2 are listed.")
                            .arg(counts.all)
                            .arg(shown_.size()));
}

void CSearchDlg::OnSearchFinished(bool done) {
    if (!done) {
        status_->setText(QStringLiteral("Status: No Matching Items found.  Try again."));
        acceptWhenDone_ = false;
    }
    if (acceptWhenDone_) {
        acceptWhenDone_ = false;
        accept();
    }
}

bool CSearchDlg::MakeSearchResultsView() {
    return db_.FillSearchResults(term_->text(), shown_, counts_);
}

// The View is made from what the search of the current term found; a search not run or not
// ended yet is waited for, the window answering meanwhile.
void CSearchDlg::accept() {
    const bool found = found_ && SameRequest(*found_, CurrentRequest()) && counts_;
    if (!found && !term_->text().isEmpty()) {
        if (!search_->IsRunning() || !found_ || !SameRequest(*found_, CurrentRequest()))
            Search();
        acceptWhenDone_ = search_->IsRunning();
        if (acceptWhenDone_)
            return;
    }
    {
        WaitCursor wait;
        MakeSearchResultsView();
        CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
    }
    QDialog::accept();
}
