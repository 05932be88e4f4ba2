// The window's ways into the feed wizard: its menu entry and button, and a feed address or
// OPML file handed over by the desktop, a later start, a drop or a paste.

#include "gui/window/FeedAddresses.h"

#include "config/RegistrySettings.h"
#include "gui/window/DatabaseOptions.h"
#include "gui/wizard/FeedWizardDlg.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int BusyRetryMs = 500;

// The address a drag carries: its first link (a local file as its path), else its text.
QString DraggedText(const QMimeData* data) {
    if (data->hasUrls() && !data->urls().isEmpty()) {
        const QUrl url = data->urls().constFirst();
        return url.isLocalFile() ? url.toLocalFile() : url.toString();
    }
    return data->hasText() ? data->text() : QString();
}
} // namespace

// A text field of the window keeps Ctrl+V for itself; everywhere else it pastes an address.
CFeedAddresses::CFeedAddresses(CRssDatabase& db, ConnectivityProbe probe,
                               std::function<bool()> ready, CDatabaseOptions& databaseOptions,
                               QWidget* view)
    : QObject(view), db_(db), probe_(std::move(probe)), ready_(std::move(ready)),
      databaseOptions_(databaseOptions), view_(view) {
    view->setAcceptDrops(true);
    auto* paste = new QShortcut(QKeySequence::Paste, view);
    paste->setContext(Qt::WindowShortcut);
    connect(paste, &QShortcut::activated, this,
            [this] { OpenFeedAddress(QApplication::clipboard()->text()); });
}

void CFeedAddresses::OpenFeedWizard(const std::optional<WizardRequest>& request) {
    // A feed needs a database to go in: the user is told so and may open or create one, after
    // which the wizard opens as asked.
    if (!db_.IsOpen()) {
        if (!CurrentPrompt().AskYesNo(QStringLiteral("No Quillpost database is open, so there is "
                                                     "nowhere to add a Feed.\n\nOpen or create "
                                                     "a database now?"),
                                      QStringLiteral("Feed Wizard")))
            return;
        databaseOptions_.Open();
        if (!db_.IsOpen())
            return;
    }
    CFeedWizardDlg wizard(db_, probe_, view_->window());
    if (request)
        wizard.Begin(*request);
    wizard.exec();
    if (wizard.FollowedOnServer())
        emit accountSyncRequested();
    if (!wizard.Changed())
        return;
    // A new subscription's View is now the current one of both screens.
    if (wizard.NewSubscriptionView() != 0)
        emit currentViewChanged();
    CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
    emit listsChanged();
}

bool CFeedAddresses::OpenFeedAddress(const QString& text) {
    const std::optional<WizardRequest> request = CFeedWizard::RequestFor(text);
    if (!request)
        return false;
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* wizard = qobject_cast<CFeedWizardDlg*>(modal); wizard && !wizard->IsBusy()) {
        wizard->Begin(*request);
        return true;
    }
    // Not over a dialog or while the start-up sequence runs: it is taken once they are done.
    if (modal || !ready_()) {
        QTimer::singleShot(BusyRetryMs, this, [this, text] { OpenFeedAddress(text); });
        return true;
    }
    OpenFeedWizard(request);
    return true;
}

void CFeedAddresses::OpenHandedOverAddress(const QString& text) {
    if (!OpenFeedAddress(text))
        CurrentPrompt().ShowMessage(
            QStringLiteral("\"%1\" is neither the web address of a Feed nor an OPML Subscription "
                           "file.")
                .arg(text),
            QStringLiteral("Quillpost"));
}

bool CFeedAddresses::Carries(const QMimeData* data) {
    return CFeedWizard::RequestFor(DraggedText(data)).has_value();
}

void CFeedAddresses::TakeDrop(const QMimeData* data) {
    const QString text = DraggedText(data);
    // After the drop has ended, so that the source is not kept waiting by the wizard.
    QTimer::singleShot(0, this, [this, text] { OpenFeedAddress(text); });
}
